#pragma once

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for the Qt values tests compare.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *out << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *out << '}';
}

inline void PrintTo(const QColor &color, std::ostream *out)
{
    *out << color.name().toStdString();
}

inline void PrintTo(const QJsonValue &value, std::ostream *out)
{
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}
