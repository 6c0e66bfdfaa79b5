#include "programs/desktop/desktopidentity.h"

#include <QGuiApplication>
#include <QIcon>

void adoptDesktopIdentity()
{
    const QString appId = QStringLiteral(JOYSTICK_APP_ID);
    QGuiApplication::setDesktopFileName(appId);
    const QIcon builtIn(QStringLiteral(":/icons/" JOYSTICK_APP_ID ".svg"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(appId, builtIn));
}
