#include "common/ControlPictures.h"

namespace {

constexpr char16_t FirstPicture = 0x2400;
constexpr char16_t DeletePicture = 0x2421;

} // namespace

QString ControlPictures::shown(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(FirstPicture + c.unicode()));
        else if (c.unicode() == 0x7f)
            c = QChar(DeletePicture);
    }
    return text;
}
