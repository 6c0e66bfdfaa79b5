#include "gamepad/padidentity.h"

#include <linux/uinput.h>

#include <QByteArrayView>

#include <algorithm>
#include <utility>

// The GUID and the name are built as SDL 2.26 (Debian 12's libsdl2) builds
// them for an evdev device, checked against its source: the Linux driver
// (src/joystick/linux/SDL_sysjoystick.c, IsJoystick) reads the bus, vendor,
// product and version with EVIOCGID and the name with EVIOCGNAME, tidies
// the name with SDL_CreateJoystickName and passes all five to
// SDL_CreateJoystickGUID (src/joystick/SDL_joystick.c), which writes the
// bus and the CRC-16 of the name (src/stdlib/SDL_crc16.c) as 16-bit little
// endian numbers and, with no vendor or no product, the name's first 11
// bytes and a terminating zero; SDL_GUIDToString writes each byte as two
// lowercase hexadecimal digits. The same driver numbers buttons in the
// order of their codes from BTN_JOYSTICK up, and axes in the order of their
// ABS codes (ConfigJoystick). The CRC was also compared with the library's
// own SDL_crc16, and SDL_GameControllerAddMapping took the lines this
// writes for both layouts.

namespace {

// SDL_crc16 from 0: CRC-16/ARC, reflected, polynomial 0xA001.
uint16_t sdlCrc16(QByteArrayView bytes)
{
    uint16_t crc = 0;
    for (const char byte : bytes) {
        crc ^= uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

QByteArray lowered(QByteArrayView text)
{
    QByteArray lower = text.toByteArray();
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return lower;
}

// Manufacturers' names SDL shortens at the start of a name. The others it
// has hold a comma, which no name may.
constexpr std::pair<const char *, const char *> kShortenedMakers[] = {
    {"ASTRO Gaming", "ASTRO"},
    {"NVIDIA Corporation ", ""},
    {"Performance Designed Products", "PDP"},
    {"Mad Catz Inc.", "Mad Catz"},
    {"Unknown ", ""},
};

// The name as SDL_CreateJoystickName leaves it for a device with no vendor
// and no product id: spaces trimmed at both ends and never two together, a
// manufacturer's long name shortened, and a first word or words that come
// again later in the name left out ("Razer Razer Raiju" is "Razer Raiju").
QByteArray sdlShownName(QByteArray name)
{
    while (name.startsWith(' '))
        name.remove(0, 1);
    while (name.endsWith(' '))
        name.chop(1);
    while (name.contains("  "))
        name.replace("  ", " ");
    for (const auto &[maker, shortened] : kShortenedMakers)
        if (lowered(name).startsWith(lowered(maker))) {
            name.replace(0, qsizetype(qstrlen(maker)), shortened);
            break;
        }
    const QByteArray lower = lowered(name);
    for (qsizetype start = 1; start + 1 < name.size(); ++start) {
        const auto again = QByteArrayView(lower).sliced(start);
        qsizetype matching = std::mismatch(again.begin(), again.end(), lower.begin()).first - again.begin();
        for (; matching > 0; --matching)
            if (name[matching] == ' ') {
                name.remove(0, matching + 1);
                return name;
            }
    }
    return name;
}

// What makes SDL (2.26 on Linux and later versions) or games' own filters
// take a device for something other than a joystick: a keyboard, a
// touchpad, the motion sensors of a pad, a phone's fingerprint reader.
struct PassedOver {
    const char *words;
    enum { Anywhere, AtStart, AtEnd } where;
};
constexpr PassedOver kPassedOver[] = {
    {" Keyboard", PassedOver::Anywhere}, {"Touchpad", PassedOver::Anywhere},     {" IMU", PassedOver::Anywhere},
    {"uinput-", PassedOver::AtStart},    {" Motion Sensors", PassedOver::AtEnd}, {" Accelerometer", PassedOver::AtEnd},
    {" Motion Plus", PassedOver::AtEnd}, {" Nunchuk", PassedOver::AtEnd},        {" IR", PassedOver::AtEnd},
};

bool has(const QByteArray &name, const PassedOver &passedOver)
{
    switch (passedOver.where) {
    case PassedOver::AtStart:
        return name.startsWith(passedOver.words);
    case PassedOver::AtEnd:
        return name.endsWith(passedOver.words);
    default:
        return name.contains(passedOver.words);
    }
}

} // namespace

std::optional<QString> padNameRefusal(const QByteArray &name)
{
    constexpr qsizetype kLongest = UINPUT_MAX_NAME_SIZE - 1;
    if (name.isEmpty())
        return QStringLiteral("the device needs a name");
    if (name.size() > kLongest)
        return QStringLiteral("the name is %1 bytes long; uinput takes at most %2").arg(name.size()).arg(kLongest);
    if (name.contains(','))
        return QStringLiteral("the name has a comma, which ends a name in an SDL mapping");
    if (std::any_of(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x20 || c == 0x7f; }))
        return QStringLiteral("the name has a control character");
    if (QString::fromUtf8(name).toUtf8() != name)
        return QStringLiteral("the name is not UTF-8");
    for (const PassedOver &passedOver : kPassedOver)
        if (has(name, passedOver))
            return QStringLiteral("a name with \"%1\" makes SDL or games take the device for something else")
                .arg(QString::fromLatin1(passedOver.words).trimmed());
    if (const QByteArray shown = sdlShownName(name); shown != name)
        return QStringLiteral("SDL would change the name to \"%1\": give that one").arg(QString::fromUtf8(shown));
    return std::nullopt;
}

QByteArray sdlGuid(const PadIdentity &identity)
{
    QByteArray guid(16, '\0');
    const auto put16 = [&](qsizetype at, uint16_t value) {
        guid[at] = char(value & 0xff);
        guid[at + 1] = char(value >> 8);
    };
    put16(0, identity.bus);
    put16(2, sdlCrc16(identity.name));
    if (identity.vendor != 0 && identity.product != 0) {
        put16(4, identity.vendor);
        put16(8, identity.product);
        put16(12, identity.version);
    } else {
        // 11 bytes of the name and the zero after them.
        const QByteArray start = identity.name.first(std::min<qsizetype>(identity.name.size(), 11));
        guid.replace(4, start.size(), start);
    }
    return guid.toHex();
}

QByteArray sdlMapping(const PadIdentity &identity, ButtonLayout layout)
{
    const ButtonCodes codes = buttonCodes(layout);
    // SDL numbers the buttons in the order of their codes.
    const auto leftIndex = QByteArray::number(codes.left < codes.right ? 0 : 1);
    const auto rightIndex = QByteArray::number(codes.left < codes.right ? 1 : 0);
    const QByteArray buttons = layout == ButtonLayout::Face ? "a:b" + leftIndex + ",b:b" + rightIndex
                                                            : "leftstick:b" + leftIndex + ",rightstick:b" + rightIndex;
    return sdlGuid(identity) + ',' + identity.name + ',' + buttons
           + ",leftx:a0,lefty:a1,rightx:a2,righty:a3,platform:Linux,";
}
