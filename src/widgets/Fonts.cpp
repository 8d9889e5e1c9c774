#include "widgets/Fonts.h"

#include <QFont>
#include <QStringList>

void Fonts::installSubstitutes()
{
    const QStringList narrowSans = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                    QStringLiteral("DejaVu Sans")};
    for (const char* family : {"Lucida Sans Unicode", "MS Sans Serif", "Arial", "Arial Greek"})
        QFont::insertSubstitutions(QString::fromLatin1(family), narrowSans);
    QFont::insertSubstitutions(QStringLiteral("Verdana"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
}
