#pragma once

#include "support/fakeserial.h"
#include "window/ventana.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// A window as the load sequence leaves it, without discovery, for handing
// device lines straight to the interpreter.
class InterpreterFixture : public testing::Test {
protected:
    InterpreterFixture() { window.CLAVE = QStringLiteral("JOYSTICK"); }

    void feed(const QStringList &lines)
    {
        for (const QString &line : lines)
            window.analizarIN(line);
    }

    ventana window{std::make_unique<FakeSerial>()};
};
