#include "maps/FeatureLabel.h"

#include "platform/Error.h"

#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace maps {

namespace {

platform::RuntimeError badRecord()
{
    return platform::RuntimeError(62, QStringLiteral("Input oltre la fine del file"));
}

// Plain decimal, "." as the separator, no exponent; the shortest text that
// reads back as the same number.
QString numberText(double v)
{
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (res.ec != std::errc())
        return QString::number(v, 'f', 6);
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

double numberOf(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        throw platform::RuntimeError(platform::err::TypeMismatch, QStringLiteral("Tipo non corrispondente"));
    return v;
}

} // namespace

void FeatureLabel::FixLine()
{
    if (ShapeType != LineType || Shape.parts.empty() || Shape.parts[0].empty())
        return;
    auto &part = Shape.parts[0];
    if (part.front().x() > part.back().x())
        std::reverse(part.begin(), part.end());
}

void FeatureLabel::Store(QTextStream &file) const
{
    QPointF at = Shape.point;
    if (ShapeType == LineType) {
        if (Shape.parts.empty() || Shape.parts[0].empty())
            throw platform::RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Indice non compreso nell'intervallo"));
        const auto &part = Shape.parts[0];
        // The middle vertex: Count / 2, a half to the even neighbour.
        const double half = double(part.size()) / 2;
        const auto n = std::min(size_t(std::nearbyint(half)), part.size() - 1);
        at = part[n];
    }
    QString text = Text;
    text.replace(u'"', QStringLiteral("\"\""));
    file << ShapeType << "," << numberText(Height) << ",\"" << text << "\"\r\n";
    file << numberText(at.x()) << "," << numberText(at.y()) << "\r\n";
    file.flush();
    if (file.status() != QTextStream::Ok)
        throw platform::RuntimeError(platform::err::PathNotFound, QStringLiteral("Errore di scrittura"));
}

void FeatureLabel::Load(QTextStream &file)
{
    const QString first = file.readLine();
    const QString second = file.readLine();
    if (first.isNull() || second.isNull())
        throw badRecord();
    // ShapeType, Height, "Text" (the text may hold commas and doubled quotes).
    const int c1 = first.indexOf(u',');
    const int c2 = c1 < 0 ? -1 : first.indexOf(u',', c1 + 1);
    if (c2 < 0)
        throw badRecord();
    QString text = first.mid(c2 + 1).trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    const QStringList xy = second.split(u',');
    if (xy.size() != 2)
        throw badRecord();
    const short type = short(numberOf(first.left(c1)));
    const double height = numberOf(first.mid(c1 + 1, c2 - c1 - 1));
    const QPointF at(numberOf(xy[0]), numberOf(xy[1]));
    ShapeType = type;
    Height = height;
    Text = text;
    Shape = Anchor{at, {}};
}

} // namespace maps
