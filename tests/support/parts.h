#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The child of `window` of type Part named `name`, as a user finds a part
// of a window: by what it is, not through an accessor of the window's.
template <typename Part>
Part &partNamed(const QObject &window, const char *name)
{
    auto *part = window.findChild<Part *>(QString::fromLatin1(name));
    if (!part)
        qFatal("no part named \"%s\"", name);
    return *part;
}
