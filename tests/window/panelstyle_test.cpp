#include "support/qtprinters.h"
#include "window/panelstyle.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

QImage drawn(const QSize &size, QStyle *style, bool enabled, const QString &text)
{
    QLineEdit box;
    if (style)
        box.setStyle(style);
    box.resize(size);
    box.setReadOnly(true);
    box.setEnabled(enabled);
    box.setText(text);
    return box.grab().toImage();
}

// A frame drawn from the cached picture looks exactly as the style draws
// it, for each size and look, in any order: a picture made for one box is
// never shown on another.
TEST(PanelStyle, FramesLookAsTheApplicationStyleDrawsThem)
{
    struct Case {
        QSize size;
        bool enabled;
    };
    const Case cases[] = {{{41, 25}, true}, {{80, 21}, true}, {{41, 25}, false}, {{41, 25}, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << (c.enabled ? "" : " disabled"));
        for (const QString &text : {QStringLiteral("512"), QStringLiteral("-1")})
            EXPECT_EQ(drawn(c.size, &PanelStyle::shared(), c.enabled, text), drawn(c.size, nullptr, c.enabled, text));
    }
}

} // namespace
