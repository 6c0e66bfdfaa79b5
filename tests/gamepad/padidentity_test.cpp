#include "gamepad/padidentity.h"

#include <gtest/gtest.h>

// The GUIDs here are those SDL 2.26.5 reads back with
// SDL_JoystickGetGUIDFromString and SDL_GetJoystickGUIDInfo, their CRCs
// those of its SDL_crc16; it took each mapping line with
// SDL_GameControllerAddMapping.

TEST(PadIdentity, SdlsGuidHoldsTheBusAndTheNameAndTheMappingNamesTheButtonsInTheirCodesOrder)
{
    EXPECT_EQ(sdlGuid({}), "0600bfe4544f5256454e4b2053657200") << "\"TORVENK Ser\" and a zero";
    // CRC-16/ARC's check value is 0xbb3d; a short name is padded with zeros.
    EXPECT_EQ(sdlGuid({"123456789"}), "06003dbb313233343536373839000000");
    // With ids, they take the name's place.
    EXPECT_EQ(sdlGuid({"Microsoft X-Box 360 pad", BUS_USB, 0x045e, 0x028e, 0x0114}),
              "030081b85e0400008e02000014010000");

    EXPECT_EQ(sdlMapping({}, ButtonLayout::Face), "0600bfe4544f5256454e4b2053657200,TORVENK Serial Joystick,"
                                                  "a:b0,b:b1,leftx:a0,lefty:a1,rightx:a2,righty:a3,platform:Linux,");
    EXPECT_EQ(sdlMapping({"Pad"}, ButtonLayout::Sticks),
              "0600286a506164000000000000000000,Pad,"
              "leftstick:b0,rightstick:b1,leftx:a0,lefty:a1,rightx:a2,righty:a3,platform:Linux,");
    for (const ButtonLayout layout : {ButtonLayout::Face, ButtonLayout::Sticks})
        EXPECT_LT(buttonCodes(layout).left, buttonCodes(layout).right) << "the left button is b0";
}

TEST(PadIdentity, ANameSdlOrGamesWouldDropOrChangeIsRefused)
{
    struct Case {
        QByteArray name;
        const char *refusal;
    };
    const Case cases[] = {
        {"", "the device needs a name"},
        {QByteArray(80, 'x'), "the name is 80 bytes long; uinput takes at most 79"},
        {"Pad, left", "the name has a comma, which ends a name in an SDL mapping"},
        {"Pad\none", "the name has a control character"},
        {"Pad \xff", "the name is not UTF-8"},
        {"Serial Keyboard Stick", "a name with \"Keyboard\" makes SDL or games take the device for something else"},
        {"uinput-sticks", "a name with \"uinput-\" makes SDL or games take the device for something else"},
        {"Stick Motion Sensors",
         "a name with \"Motion Sensors\" makes SDL or games take the device for something else"},
        {" Pad", "SDL would change the name to \"Pad\": give that one"},
        {"Serial  Pad", "SDL would change the name to \"Serial Pad\": give that one"},
        {"unknown Pad", "SDL would change the name to \"Pad\": give that one"},
        {"Joy Joystick", "SDL would change the name to \"Joystick\": give that one"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const auto refusal = padNameRefusal(c.name);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->toStdString(), c.refusal);
    }
    for (const QByteArray &name :
         {QByteArray(PadIdentity::kDefaultName), QByteArray(79, 'x'), QByteArray("Robot Arm"),
          QByteArray("Palanca de mando \xc3\x91"), QByteArray("IR Stick"), QByteArray("Stickman Stick")})
        EXPECT_EQ(padNameRefusal(name), std::nullopt) << name.toStdString();
}
