#include "Pictures.h"

#include <QPainter>

#include "Mark.h"
#include "Style.h"
#include "TextFlow.h"

namespace artwork {

namespace {

constexpr int kWidth = 359;
constexpr int kHeight = 269;
constexpr int kBandHeight = 78;
constexpr int kMargin = 16;
constexpr int kLine = 1;  // thickness of rules

// scale device pixels per picture pixel: the drawing below stays in picture pixels.
QImage BlankPicture(int scale) {
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(kPaper);
    return image;
}

// The band every picture opens with: the mark, the maker's name and the product's name.
void DrawBand(QPainter& painter, const QString& tagline, QStringList& overflows) {
    painter.fillRect(0, 0, kWidth, kBandHeight, kNavy);
    painter.fillRect(0, kBandHeight, kWidth, 3, kGold);
    DrawMark(painter, QRectF(14, 12, 54, 54));

    QFont maker = SansFont(12, true);
    maker.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    TextFlow names(painter, QRect(80, 11, kWidth - 80 - kMargin, kBandHeight - 11));
    names.Line(maker, kGold, QStringLiteral("QUILLON"), -2);
    names.Line(SansFont(42, true), kPaper, QStringLiteral("Vantor"), 0);
    overflows << names.Overflows();

    if (!tagline.isEmpty()) {
        TextFlow right(painter, QRect(200, 50, kWidth - 200 - kMargin, 18));
        right.Line(SansFont(11), kBandText, tagline, 0, Qt::AlignRight);
        overflows << right.Overflows();
    }
}

void DrawRule(QPainter& painter, int y) {
    painter.fillRect(kMargin, y, kWidth - 2 * kMargin, kLine, kRule);
}

QRect BodyColumn() {
    const int top = kBandHeight + 3 + 10;
    return QRect(kMargin, top, kWidth - 2 * kMargin, kHeight - top - 8);
}

// A clock face: the notice is about time.
void DrawClock(QPainter& painter, const QPointF& centre, double radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kNavy, 3.0));
    painter.setBrush(kPaper);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(kNavy, 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int hour = 0; hour < 12; hour += 3) {
        painter.save();
        painter.translate(centre);
        painter.rotate(30.0 * hour);
        painter.drawLine(QPointF(0, -radius + 4), QPointF(0, -radius + 8));
        painter.restore();
    }
    painter.setPen(QPen(kNavy, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(0, -radius * 0.62));
    painter.setPen(QPen(kGold, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(radius * 0.50, radius * 0.22));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNavy);
    painter.drawEllipse(centre, 2.5, 2.5);
    painter.restore();
}

}  // namespace

QImage SplashPicture(QStringList& overflows, int scale) {
    QImage image = BlankPicture(scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawBand(painter, QStringLiteral("Directory object counter"), overflows);

    const QFont name = SansFont(12, true);
    const QFont plain = SansFont(12);
    TextFlow body(painter, BodyColumn());
    body.Paragraph(plain, kInk,
                   QStringLiteral("Quillon makes small, dependable tools for directory "
                                  "administrators. Also from Quillon:"),
                   5);
    const struct {
        const char* name;
        const char* what;
    } tools[] = {{"Tessel", "sets up users in bulk from a spreadsheet"},
                 {"Lintwell", "checks login scripts before they run"},
                 {"Orrin", "reports who holds which rights, and where"}};
    for (const auto& tool : tools) {
        body.LabelledLine(name, kNavy, QString::fromUtf8(tool.name), 64, plain, kInk,
                          QString::fromUtf8(tool.what), 2);
    }
    const int ruleY = body.Top() + 4;
    DrawRule(painter, ruleY);

    TextFlow contact(painter,
                     QRect(kMargin, ruleY + 8, kWidth - 2 * kMargin, kHeight - ruleY - 8 - 8));
    const QFont small = SansFont(11);
    contact.Line(SansFont(11, true), kInk, QStringLiteral("Quillon"), 1);
    contact.Line(small, kMuted, QStringLiteral("27 Copperwick Row, Halvern Bay HB4 2QL"), 1);
    contact.Line(small, kMuted,
                 QStringLiteral("www.quillon.example  \u00b7  support@quillon.example"), 1);
    contact.Line(small, kMuted, QStringLiteral("Telephone +44 20 7946 0321"), 0);
    overflows << body.Overflows() << contact.Overflows();
    return image;
}

QImage AboutPicture(QStringList& overflows, int scale) {
    QImage image = BlankPicture(scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawBand(painter, QStringLiteral("Directory object counter"), overflows);

    TextFlow body(painter, BodyColumn());
    body.Line(SansFont(14, true), kInk, QStringLiteral("Version 1.0.0"), 1);
    body.Line(SansFont(12), kMuted, QStringLiteral("Released 7 December 2026"), 9);
    body.Paragraph(SansFont(12), kInk,
                   QStringLiteral("Counts the users, servers, groups and partitions of a "
                                  "directory tree, partition by partition or container by "
                                  "container."),
                   6);
    body.Paragraph(SansFont(12), kInk,
                   QStringLiteral("This program may be copied and passed on to others free of "
                                  "charge, provided that it is passed on complete and unchanged."),
                   8);
    const int ruleY = body.Top();
    DrawRule(painter, ruleY);

    TextFlow notices(painter,
                     QRect(kMargin, ruleY + 8, kWidth - 2 * kMargin, kHeight - ruleY - 8 - 8));
    notices.Paragraph(SansFont(11), kMuted,
                      QStringLiteral("Quillon and Vantor are trademarks of Quillon."), 2);
    notices.Paragraph(SansFont(11), kMuted,
                      QStringLiteral("Copyright \u00a9 2026 Quillon. All rights reserved."), 0);
    overflows << body.Overflows() << notices.Overflows();
    return image;
}

QImage NoticePicture(QStringList& overflows, int scale) {
    QImage image = BlankPicture(scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawBand(painter, QString(), overflows);

    const QRect column = BodyColumn();
    DrawClock(painter, QPointF(kMargin + 24, column.top() + 26), 22);
    TextFlow body(painter, column.adjusted(66, 0, 0, 0));
    body.Line(SansFont(14, true), kInk, QStringLiteral("Counting reads the directory"), 6);
    body.Paragraph(SansFont(12), kInk,
                   QStringLiteral("How long a count takes depends on the size and structure of "
                                  "the directory tree and on the performance of the network."),
                   7);
    body.Paragraph(SansFont(12), kInk,
                   QStringLiteral("A large tree spread over wide-area links, with tens of "
                                  "thousands of users, can take hours to count. Other work can "
                                  "go on meanwhile."),
                   0);
    overflows << body.Overflows();
    return image;
}

}  // namespace artwork
