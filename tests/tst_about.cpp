#include "Fixture.h"

#include "about/AboutBox.h"
#include "about/LicenceText.h"
#include "about/LicenceViewer.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Records like RecordingShell, but a start can be made to fail.
class StartingShell : public RecordingShell
{
public:
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        RecordingShell::startProgram(program, arguments);
        return startSucceeds;
    }

    bool startSucceeds = true;
};

bool writeScript(const QString& path, QFileDevice::Permissions permissions)
{
    return writeTestFile(path, "#!/bin/sh\nexit 0\n", permissions);
}

template <typename T> T* child(const QWidget& window, const char* name)
{
    return window.findChild<T*>(QString::fromLatin1(name));
}

// Answers the next modal LicenceViewer by pressing its Ok button, remembering its caption.
void closeLicenceWhenShown(QString* caption)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, caption] {
        auto* licence = qobject_cast<LicenceViewer*>(QApplication::activeModalWidget());
        if (!licence)
            return;
        *caption = licence->windowTitle();
        child<QPushButton>(*licence, "okButton")->click();
        poll->deleteLater();
    });
    poll->start(10);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void softwareTextEndsInRevision_data();
    void softwareTextEndsInRevision();
    void aboutBoxShowsItsTexts();
    void aboutBoxTextsFitWithoutOverlap_data();
    void aboutBoxTextsFitWithoutOverlap();
    void okIsDefaultAndCancel_data();
    void okIsDefaultAndCancel();
    void sysInfoStartsFirstToolOnPath_data();
    void sysInfoStartsFirstToolOnPath();
    void licenceButtonOpensViewer();

    void licenceViewerLayout();
    void licenceTextCannotBeChanged_data();
    void licenceTextCannotBeChanged();
    void licenceNavigationKeysMoveAndScroll();

private:
    QByteArray m_path;
};

void TestAbout::initTestCase()
{
    // The layout is checked with the fonts the program itself maps to.
    Fonts::installSubstitutes();
    m_path = qgetenv("PATH");
}

void TestAbout::cleanup()
{
    qputenv("PATH", m_path);
}

void TestAbout::softwareTextEndsInRevision_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("this release") << 1 << 0 << 0 << QStringLiteral("(revision: 1.0.0)");
    QTest::newRow("no leading zeros") << 2 << 10 << 7 << QStringLiteral("(revision: 2.10.7)");
}

void TestAbout::softwareTextEndsInRevision()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, lastLine);

    const QStringList lines = AboutBox::distributorText(major, minor, revision).split(u'\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.first(), QStringLiteral("This program is freely distributed by:"));
    for (const QString& line : lines)
        QVERIFY2(!line.trimmed().isEmpty(), "every distributor line has text");
    QCOMPARE(lines.last(), lastLine);
}

void TestAbout::aboutBoxShowsItsTexts()
{
    RecordingMessages messages;
    RecordingShell shell;
    AboutBox about(messages, shell);

    QCOMPARE(about.windowTitle(), QStringLiteral("About HBQ ORX DRILL ORGANIZER"));
    const auto text = [&](const char* name) { return child<QLabel>(about, name)->text(); };
    QCOMPARE(text("titleLabel"), QStringLiteral("HBQ ORX DRILL ORGANIZER"));
    QCOMPARE(text("versionLabel"), QStringLiteral("Version 1.0"));
    QCOMPARE(text("companyAnchor"), QString());
    QCOMPARE(text("distributorLines"), AboutBox::distributorText(1, 0, 0));
    QCOMPARE(text("copyrightLabel").count(u'\n'), 1);

    const auto caption = [&](const char* name) { return child<QPushButton>(about, name)->text(); };
    QCOMPARE(caption("okButton"), QStringLiteral("OK"));
    QCOMPARE(caption("systemInfoButton"), QStringLiteral("&System Info..."));
    QCOMPARE(caption("licenceButton"), QStringLiteral("Licence Agreement"));

    QCOMPARE(child<QLabel>(about, "programPicture")->pixmap().size(), QSize(32, 32));
    QCOMPARE(child<QLabel>(about, "makerLogo")->pixmap().size(), QSize(243, 189));
    QCOMPARE(about.minimumSize(), QSize(424, 311));
    QCOMPARE(about.maximumSize(), QSize(424, 311));
}

void TestAbout::aboutBoxTextsFitWithoutOverlap_data()
{
    QTest::addColumn<QString>("dataFile");
    QTest::newRow("as designed") << QString();
    QTest::newRow("naming a long data file")
        << QStringLiteral("/home/a.user.with.a.long.name/.local/share/hbq-orx-drill-organizer/"
                          "ORXmanager97.mdb");
}

void TestAbout::aboutBoxTextsFitWithoutOverlap()
{
    QFETCH(QString, dataFile);
    RecordingMessages messages;
    RecordingShell shell;
    AboutBox about(messages, shell);
    if (!dataFile.isEmpty()) {
        about.showDataFile(dataFile);
        const auto* line = child<QLabel>(about, "dataFileLabel");
        QVERIFY(line->text().startsWith(QLatin1String("Data file: /home/")));
        QVERIFY(line->text().endsWith(QLatin1String("ORXmanager97.mdb")));
        QCOMPARE(line->toolTip(), dataFile);
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
    }
    about.show();

    const QWidget* company = child<QWidget>(about, "companyAnchor");
    const QWidget* software = child<QWidget>(about, "distributorLines");
    QCOMPARE(software->y(), company->y() + company->height() + 10);

    QList<QWidget*> shown;
    for (QWidget* widget : about.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (widget->isVisible())
            shown.append(widget);
    }
    QVERIFY(shown.size() >= 10);
    for (QWidget* widget : shown) {
        QVERIFY2(about.rect().contains(widget->geometry()), qPrintable(widget->objectName()));
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(label->objectName() + QStringLiteral(" is cut off")));
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j)
            QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                     qPrintable(shown[i]->objectName() + u' ' + shown[j]->objectName()));
    }
}

void TestAbout::okIsDefaultAndCancel_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestAbout::okIsDefaultAndCancel()
{
    QFETCH(int, key);
    RecordingMessages messages;
    RecordingShell shell;
    AboutBox about(messages, shell);
    auto* ok = child<QPushButton>(about, "okButton");
    QVERIFY(ok->isDefault());

    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QVERIFY(!about.isVisible());
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(shell.started.isEmpty());
}

void TestAbout::sysInfoStartsFirstToolOnPath_data()
{
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<QStringList>("notExecutable");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QString>("expected");
    const QString hardinfo = QStringLiteral("hardinfo");
    const QString kinfocenter = QStringLiteral("kinfocenter");
    const QString monitor = QStringLiteral("gnome-system-monitor");
    QTest::newRow("none on the PATH") << QStringList() << QStringList() << true << QString();
    QTest::newRow("one tool") << QStringList{kinfocenter} << QStringList() << true << kinfocenter;
    QTest::newRow("first of the list wins")
        << QStringList{monitor, hardinfo} << QStringList() << true << hardinfo;
    QTest::newRow("plain file is skipped")
        << QStringList{monitor} << QStringList{hardinfo} << true << monitor;
    QTest::newRow("only a plain file")
        << QStringList() << QStringList{kinfocenter} << true << QString();
    QTest::newRow("start fails") << QStringList{hardinfo} << QStringList() << false << hardinfo;
}

void TestAbout::sysInfoStartsFirstToolOnPath()
{
    QFETCH(QStringList, executables);
    QFETCH(QStringList, notExecutable);
    QFETCH(bool, startSucceeds);
    QFETCH(QString, expected);

    QTemporaryDir bin;
    const QDir dir(bin.path());
    for (const QString& name : executables)
        QVERIFY(writeScript(dir.filePath(name),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    for (const QString& name : notExecutable)
        QVERIFY(writeScript(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner));
    qputenv("PATH", QFile::encodeName(bin.path()));

    RecordingMessages messages;
    StartingShell shell;
    shell.startSucceeds = startSucceeds;
    AboutBox about(messages, shell);
    about.show();
    QTest::mouseClick(child<QPushButton>(about, "systemInfoButton"), Qt::LeftButton);

    const QList<QStringList> started =
        expected.isEmpty() ? QList<QStringList>() : QList<QStringList>{{dir.filePath(expected)}};
    QCOMPARE(shell.started, started);
    if (started.isEmpty() || !startSucceeds) {
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].icon, Messages::Icon::Information);
        QCOMPARE(messages.shown[0].title, QStringLiteral("Kendrix"));
        QCOMPARE(messages.shown[0].text,
                 QStringLiteral("System Information Is Unavailable At This Time."));
    } else {
        QVERIFY(messages.shown.isEmpty());
    }
    QVERIFY(about.isVisible());
}

void TestAbout::licenceButtonOpensViewer()
{
    RecordingMessages messages;
    RecordingShell shell;
    AboutBox about(messages, shell);
    about.show();

    QString caption;
    closeLicenceWhenShown(&caption);
    QTest::mouseClick(child<QPushButton>(about, "licenceButton"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Kendrix Licence Agreement"));
    QVERIFY(about.isVisible());
}

void TestAbout::licenceViewerLayout()
{
    LicenceViewer licence;
    QCOMPARE(licence.windowTitle(), QStringLiteral("Kendrix Licence Agreement"));
    QCOMPARE(licence.minimumSize(), QSize(640, 393));
    QCOMPARE(licence.maximumSize(), QSize(640, 393));

    auto* text = child<QPlainTextEdit>(licence, "licenceText");
    auto* ok = child<QPushButton>(licence, "okButton");
    QCOMPARE(text->toPlainText(), LicenceText::agreement());
    QCOMPARE(ok->text(), QStringLiteral("&Ok"));
    QVERIFY(ok->isDefault());

    licence.show();
    QVERIFY(QTest::qWaitForWindowActive(&licence));
    QCOMPARE(QApplication::focusWidget(), text);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!licence.isVisible());
}

void TestAbout::licenceTextCannotBeChanged_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QKeySequence>("keys"); // pressed where the focus is
    QTest::newRow("letters") << QStringLiteral("abc XYZ") << QKeySequence();
    QTest::newRow("Delete") << QString() << QKeySequence(Qt::Key_Delete);
    QTest::newRow("Backspace") << QString() << QKeySequence(Qt::Key_Backspace);
    QTest::newRow("Enter") << QString() << QKeySequence(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << QString() << QKeySequence(Qt::Key_Enter);
    QTest::newRow("Escape") << QString() << QKeySequence(Qt::Key_Escape);
    QTest::newRow("paste") << QString() << QKeySequence(QKeySequence::Paste);
    QTest::newRow("paste with Shift+Insert")
        << QString() << QKeySequence(Qt::SHIFT | Qt::Key_Insert);
    QTest::newRow("cut") << QString() << QKeySequence(QKeySequence::Cut);
    QTest::newRow("Tab to Ok, then Escape")
        << QString() << QKeySequence(Qt::Key_Tab, Qt::Key_Escape);
}

void TestAbout::licenceTextCannotBeChanged()
{
    QFETCH(QString, typed);
    QFETCH(QKeySequence, keys);

    LicenceViewer licence;
    licence.show();
    QVERIFY(QTest::qWaitForWindowActive(&licence));
    auto* text = child<QPlainTextEdit>(licence, "licenceText");
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));
    // A selection gives every editing key something to remove or replace.
    QTest::keyClick(text, Qt::Key_Down);
    QTest::keyClick(text, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(text->textCursor().hasSelection());

    if (!typed.isEmpty())
        QTest::keyClicks(text, typed);
    for (int key = 0; key < keys.count(); ++key)
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys[key]));

    QCOMPARE(text->toPlainText(), LicenceText::agreement());
    QVERIFY(!text->document()->isModified());
    QVERIFY(licence.isVisible()); // only its Ok button closes it
}

void TestAbout::licenceNavigationKeysMoveAndScroll()
{
    LicenceViewer licence;
    licence.show();
    QVERIFY(QTest::qWaitForWindowActive(&licence));
    auto* text = child<QPlainTextEdit>(licence, "licenceText");
    QScrollBar* bar = text->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->maximum() > 0);

    const auto caret = [text] { return text->textCursor().position(); };
    QTest::keyClick(text, Qt::Key_Down);
    const int second = caret();
    QVERIFY(second > 0);
    QTest::keyClick(text, Qt::Key_Right);
    QCOMPARE(caret(), second + 1);
    QTest::keyClick(text, Qt::Key_Left);
    QCOMPARE(caret(), second);
    QTest::keyClick(text, Qt::Key_Up);
    QCOMPARE(caret(), 0);

    QTest::keyClick(text, Qt::Key_PageDown);
    QVERIFY(bar->value() > 0);
    QVERIFY(caret() > second);
    QTest::keyClick(text, Qt::Key_PageUp);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(text->toPlainText(), LicenceText::agreement());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
