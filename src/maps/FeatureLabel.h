#pragma once
// The label of one map feature: an anchor (a point, or a line of parts of
// points), a text and a height; it turns a line to run from left to right
// and is stored in and read back from an open text file.
//
// Record: two lines of comma-separated values ending with CR LF, strings in
// double quotes, numbers with "." as the decimal separator:
//   ShapeType, Height, "Text"
//   X, Y          (a line's middle vertex, or the point)
#include <QPointF>
#include <QString>
#include <vector>

class QTextStream;

namespace maps {

class FeatureLabel {
public:
    static constexpr short LineType = 22;

    // The anchor: a point, or (ShapeType 22) a line whose parts are lists of points.
    struct Anchor {
        QPointF point;
        std::vector<std::vector<QPointF>> parts;
    };

    Anchor Shape;
    short ShapeType = 0;
    QString Text;
    double Height = 0;

    // For a line: reverses part 0 when its first point lies right of its last.
    void FixLine();
    // Writes the record; RuntimeError when the stream fails or a line has no points.
    void Store(QTextStream &file) const;
    // Reads a record; the anchor becomes a point (a stored line's middle vertex),
    // ShapeType stays as stored. RuntimeError on a malformed record.
    void Load(QTextStream &file);
};

} // namespace maps
