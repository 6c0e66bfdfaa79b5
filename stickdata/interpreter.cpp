#include "stickdata/interpreter.h"

#include "stickdata/numberrule.h"

namespace {

constexpr int kAxisCount = 4;
constexpr int kLeftButton = 5;

// The first two fields of a line split at spaces; a tag alone has no
// value field.
struct Fields {
    QStringView tag;
    QStringView value;
    bool hasValue;
};

Fields firstTwoFields(QStringView line)
{
    const qsizetype tagEnd = line.indexOf(u' ');
    if (tagEnd < 0)
        return {line, {}, false};
    const QStringView rest = line.sliced(tagEnd + 1);
    const qsizetype valueEnd = rest.indexOf(u' ');
    return {line.first(tagEnd), valueEnd < 0 ? rest : rest.first(valueEnd), true};
}

int channelOf(QStringView tag)
{
    for (int channel = 0; channel < int(protocol::kTags.size()); ++channel)
        if (tag == QLatin1StringView(protocol::kTags[size_t(channel)]))
            return channel;
    return -1;
}

LineMeaning channelLine(int channel, QStringView value)
{
    if (channel < kAxisCount)
        return AxisLine{channel, value, leadingNumberToInt16(value)};
    return ButtonLine{channel, value == QLatin1StringView(protocol::kButtonActive), channel == kLeftButton};
}

} // namespace

bool isKeywordLine(QStringView sa, QLatin1StringView CLAVE)
{
    return sa.contains(CLAVE);
}

LineMeaning analizarIN(QStringView sa, QLatin1StringView CLAVE)
{
    if (isKeywordLine(sa, CLAVE))
        return KeywordLine{};
    const Fields fields = firstTwoFields(sa);
    const int channel = channelOf(fields.tag);
    if (channel < 0 || !fields.hasValue)
        return std::monostate{};
    return channelLine(channel, fields.value);
}
