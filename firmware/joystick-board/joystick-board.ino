// Joystick board: an Arduino Uno (ATmega328P, 16 MHz) with two analog
// joystick modules, answering the joystick monitor over its USB serial port.
//
// Wiring:
//   A0, A1  left stick x, y
//   A2, A3  right stick x, y
//   D2      right stick's push button, reported as "A4"
//   D3      left stick's push button, reported as "A5"
// Each button connects its pin to ground when pressed; the pin's pull-up
// holds it high otherwise, so a pressed button reads, and is reported as, 0.
//
// Serial line: 9600 baud, 8 data bits, no parity, 1 stop bit.
// - While no request has arrived for a second the board announces itself
//   with the line "JOYSTICK" every half second. That covers a start, the
//   reset an Uno does when its port is opened, and a monitor that opens the
//   port again later without resetting the board.
// - Each request line "DATA" is answered with six lines "A0 <value>" to
//   "A5 <value>", in that order.
// - Lines end with a line feed; carriage returns are ignored. Lines the
//   board does not know, and lines too long to be a request, are ignored.

const unsigned long kBaudRate = 9600;
const unsigned long kAnnounceIntervalMs = 500;
const unsigned long kQuietBeforeAnnouncingMs = 1000;

const uint8_t kStickPins[] = {A0, A1, A2, A3};
const uint8_t kRightButtonPin = 2;
const uint8_t kLeftButtonPin = 3;

const char kKeyword[] = "JOYSTICK";
const char kRequest[] = "DATA";

// Longer than any request; characters beyond it are dropped along with the
// rest of their line.
const uint8_t kLineCapacity = 16;

char line[kLineCapacity + 1];
uint8_t lineLength = 0;
bool lineOverflowed = false;

// Set in the past so that the board counts as not asked since its start
// and announces itself at once.
unsigned long lastRequestMs = 0 - kQuietBeforeAnnouncingMs;
unsigned long lastAnnouncementMs = 0 - kAnnounceIntervalMs;

// Ends a line with a line feed alone: println would add a carriage return
// the protocol does not have.
void sendLineEnd() {
  Serial.write('\n');
}

void sendChannel(uint8_t channel, int value) {
  Serial.write('A');
  Serial.print(channel);
  Serial.write(' ');
  Serial.print(value);
  sendLineEnd();
}

void answerRequest() {
  for (uint8_t stick = 0; stick < sizeof(kStickPins); ++stick)
    sendChannel(stick, analogRead(kStickPins[stick]));
  sendChannel(4, digitalRead(kRightButtonPin));
  sendChannel(5, digitalRead(kLeftButtonPin));
}

void announceWhileNotAsked() {
  const unsigned long now = millis();
  if (now - lastRequestMs < kQuietBeforeAnnouncingMs || now - lastAnnouncementMs < kAnnounceIntervalMs)
    return;
  Serial.print(kKeyword);
  sendLineEnd();
  lastAnnouncementMs = now;
}

void handleLine() {
  line[lineLength] = '\0';
  if (!lineOverflowed && strcmp(line, kRequest) == 0) {
    lastRequestMs = millis();
    answerRequest();
  }
  lineLength = 0;
  lineOverflowed = false;
}

void takeCharacter(char c) {
  if (c == '\r')
    return;
  if (c == '\n') {
    handleLine();
  } else if (lineLength < kLineCapacity) {
    line[lineLength++] = c;
  } else {
    lineOverflowed = true;
  }
}

void setup() {
  pinMode(kRightButtonPin, INPUT_PULLUP);
  pinMode(kLeftButtonPin, INPUT_PULLUP);
  Serial.begin(kBaudRate);
}

// A request that arrives while an answer is going out waits in the serial
// receive buffer and is answered on a later pass.
void loop() {
  while (Serial.available() > 0)
    takeCharacter(char(Serial.read()));
  announceWhileNotAsked();
}
