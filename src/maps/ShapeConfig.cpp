#include "maps/ShapeConfig.h"

#include "frame/Globals.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/NumText.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace maps {

namespace {

constexpr long ObjectNotSet = 91; // a node that the file should hold is missing
constexpr long Overflow = 6;

const QString ConfigName = QStringLiteral("ShapeConfig.xml");

QString qs(const char *s)
{
    return QString::fromUtf8(s);
}

std::string utf8(const QString &s)
{
    return s.toUtf8().toStdString();
}

// A line in the error log, without a message: for a reading that goes on.
void logOnly(const QString &procName, long number, const QString &description)
{
    if (gFilesPath.isEmpty())
        return;
    QString log = platform::files::resolve(gFilesPath, QStringLiteral("Error.log"));
    if (log.isEmpty())
        log = gFilesPath + QStringLiteral("Error.log");
    platform::files::appendText(log, Utility_RQM::ErrorLine(QStringLiteral("frm_Mappa"), procName,
                                                            QString::number(number), description) +
                                         QStringLiteral("\r\n"));
}

[[noreturn]] void missing(const QString &what)
{
    throw platform::RuntimeError(ObjectNotSet, QStringLiteral("%1: manca %2").arg(ConfigName, what));
}

// All the text inside a node, trimmed.
void collectText(const pugi::xml_node &n, std::string &out)
{
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            out += c.value();
        else if (c.type() == pugi::node_element)
            collectText(c, out);
    }
}

QString textOf(const pugi::xml_node &n)
{
    std::string s;
    collectText(n, s);
    return qs(s.c_str()).trimmed();
}

// The first element `name` under `parent` whose attribute "name" is `key`
// (compared exactly, so that any text can be a key).
pugi::xml_node childByName(const pugi::xml_node &parent, const char *element, const QString &key)
{
    const std::string k = utf8(key);
    for (pugi::xml_node c : parent.children(element))
        if (pugi::xml_attribute a = c.attribute("name"); a && k == a.value())
            return c;
    return {};
}

struct LoadedDoc {
    pugi::xml_document doc;
    pugi::xml_parse_result result;
    QByteArray bytes; // the file as read
};

// A real configuration nests four levels deep (Configs, LoadOrder, Case,
// layer). A file nested far deeper is damaged or made to exhaust the stack of
// whoever reads it recursively: it is refused as a whole.
constexpr int MaxDepth = 32;

struct DepthCheck : pugi::xml_tree_walker {
    bool tooDeep = false;
    bool for_each(pugi::xml_node &) override
    {
        tooDeep = depth() >= MaxDepth;
        return !tooDeep;
    }
};

// Around its one root element a file holds only its declaration, first of
// all, then comments, processing instructions, a document type and blanks.
// The parser is lenient with damaged files (a declaration after stray bytes,
// a second root element): such a file would read with one encoding and, once
// saved, with another, so it is refused as XML refuses it.
bool wellFormedAround(const pugi::xml_document &doc, const QByteArray &bytes)
{
    int elements = 0;
    for (pugi::xml_node n : doc.children()) {
        switch (n.type()) {
        case pugi::node_declaration: {
            if (n != doc.first_child())
                return false;
            static const QByteArray starts[] = {
                QByteArrayLiteral("<?xml"), QByteArrayLiteral("\xEF\xBB\xBF<?xml"),
                QByteArrayLiteral("\xFF\xFE<\0?\0x\0m\0l\0"), QByteArrayLiteral("\xFE\xFF\0<\0?\0x\0m\0l")};
            bool first = false;
            for (const QByteArray &start : starts)
                first = first || bytes.startsWith(start);
            if (!first)
                return false;
            break;
        }
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_comment:
        case pugi::node_pi:
        case pugi::node_doctype:
            break;
        case pugi::node_pcdata:
            if (!QByteArray(n.value()).trimmed().isEmpty())
                return false;
            break;
        default:
            return false;
        }
    }
    return elements == 1;
}

// Parse options that keep every node of the file.
constexpr unsigned ParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;

void loadDocument(const QString &path, LoadedDoc &d)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        throw platform::RuntimeError(platform::err::FileNotFound,
                                     QStringLiteral("File non trovato: %1").arg(path.isEmpty() ? ConfigName : path));
    const QByteArray bytes = f.readAll();
    d.bytes = bytes;
    d.result = d.doc.load_buffer(bytes.constData(), size_t(bytes.size()), ParseOptions);
    if (!d.result)
        throw platform::RuntimeError(ObjectNotSet, QStringLiteral("%1 non valido: %2 (posizione %3)")
                                                       .arg(ConfigName, qs(d.result.description()))
                                                       .arg(qlonglong(d.result.offset)));
    if (!wellFormedAround(d.doc, bytes))
        throw platform::RuntimeError(ObjectNotSet, QStringLiteral("%1 non valido: contenuto fuori dall'elemento "
                                                                  "principale o dichiarazione XML non all'inizio.")
                                                       .arg(ConfigName));
    DepthCheck depth;   // the walk itself is not recursive
    d.doc.traverse(depth);
    if (depth.tooDeep)
        throw platform::RuntimeError(ObjectNotSet, QStringLiteral("%1 non valido: elementi annidati oltre %2 livelli.")
                                                       .arg(ConfigName)
                                                       .arg(MaxDepth));
}

pugi::xml_node findCase(const pugi::xml_document &doc, const QString &level)
{
    const pugi::xml_node configs = doc.child("Configs");
    if (!configs)
        missing(QStringLiteral("l'elemento Configs"));
    const pugi::xml_node loadOrder = configs.child("LoadOrder");
    if (!loadOrder)
        missing(QStringLiteral("l'elemento LoadOrder"));
    const pugi::xml_node c = childByName(loadOrder, "Case", level);
    if (!c)
        missing(QStringLiteral("il livello \"%1\" (Case) in LoadOrder").arg(level));
    return c;
}

QString requiredAttribute(const pugi::xml_node &n, const char *name, const QString &where)
{
    const pugi::xml_attribute a = n.attribute(name);
    if (!a)
        missing(QStringLiteral("l'attributo %1 di %2").arg(qs(name), where));
    return qs(a.value());
}

QString shapeElement(const pugi::xml_node &shape, const char *name, const QString &key)
{
    const pugi::xml_node e = shape.child(name);
    if (!e)
        missing(QStringLiteral("l'elemento %1 della Shape \"%2\"").arg(qs(name), key));
    return textOf(e);
}

QString boolText(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// ---- changing attributes in the file's own text ----------------------------------

// The file's text as code units of its encoding (bytes of UTF-8 and Latin-1,
// 16-bit units of UTF-16, 32-bit units of UTF-32): the markup characters the
// scanner looks for are the same in all of them.
class Units {
public:
    Units(const QByteArray &bytes, pugi::xml_encoding enc) : m_bytes(bytes), m_enc(enc)
    {
        switch (enc) {
        case pugi::encoding_utf16_le: m_width = 2; break;
        case pugi::encoding_utf16_be: m_width = 2; m_big = true; break;
        case pugi::encoding_utf32_le: m_width = 4; break;
        case pugi::encoding_utf32_be: m_width = 4; m_big = true; break;
        default: m_width = 1; break;
        }
    }
    qsizetype size() const { return m_bytes.size() / m_width; }
    char32_t at(qsizetype i) const
    {
        char32_t u = 0;
        for (int k = 0; k < m_width; ++k) {
            const char32_t b = quint8(m_bytes[i * m_width + (m_big ? k : m_width - 1 - k)]);
            u = (u << 8) | b;
        }
        return u;
    }
    bool startsWith(qsizetype i, const char *ascii) const
    {
        for (qsizetype k = 0; ascii[k]; ++k)
            if (i + k >= size() || at(i + k) != char32_t(quint8(ascii[k])))
                return false;
        return true;
    }
    // The text of units [from, to).
    QString text(qsizetype from, qsizetype to) const
    {
        const QByteArray part = m_bytes.mid(from * m_width, (to - from) * m_width);
        if (m_width == 1)
            return m_enc == pugi::encoding_latin1 ? QString::fromLatin1(part) : QString::fromUtf8(part);
        QString out;
        for (qsizetype i = from; i < to; ++i) {
            const char32_t u = at(i);
            if (m_width == 2)
                out += QChar(char16_t(u));
            else
                out += QString::fromUcs4(&u, 1);
        }
        return out;
    }
    // ASCII text in the file's encoding.
    QByteArray encode(const QString &ascii) const
    {
        QByteArray out;
        for (const QChar ch : ascii)
            for (int k = 0; k < m_width; ++k)
                out += char(m_big ? (k == m_width - 1 ? ch.unicode() & 0xFF : 0) : (k == 0 ? ch.unicode() & 0xFF : 0));
        return out;
    }
    qsizetype byteOffset(qsizetype i) const { return i * m_width; }

private:
    const QByteArray &m_bytes;
    pugi::xml_encoding m_enc;
    int m_width = 1;
    bool m_big = false;
};

// A start tag as written: where its name ends and, for each attribute, its name
// and where its value lies between the quotes.
struct TagSpan {
    QString name;
    qsizetype nameEnd = 0;
    struct Attribute {
        QString name;
        qsizetype valueStart = 0, valueEnd = 0; // units, without the quotes
    };
    std::vector<Attribute> attributes;
};

bool isSpace(char32_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

[[noreturn]] void unreadable()
{
    throw platform::RuntimeError(ObjectNotSet, QStringLiteral("%1 non valido: markup non riconosciuto").arg(ConfigName));
}

// Every start tag of the text, in document order (the order in which the
// parser meets the elements). Comments, CDATA sections, processing
// instructions, the document type and end tags are skipped.
std::vector<TagSpan> scanStartTags(const Units &u)
{
    std::vector<TagSpan> tags;
    const qsizetype n = u.size();
    auto skipPast = [&](qsizetype i, const char *end) {
        while (i < n && !u.startsWith(i, end))
            ++i;
        if (i >= n)
            unreadable();
        return i + qsizetype(std::strlen(end));
    };
    qsizetype i = 0;
    while (i < n) {
        if (u.at(i) != u'<') {
            ++i;
        } else if (u.startsWith(i, "<!--")) {
            i = skipPast(i + 4, "-->");
        } else if (u.startsWith(i, "<![CDATA[")) {
            i = skipPast(i + 9, "]]>");
        } else if (u.startsWith(i, "<?")) {
            i = skipPast(i + 2, "?>");
        } else if (u.startsWith(i, "<!")) {
            // A document type, with its internal subset and quoted texts.
            int depth = 0;
            char32_t quote = 0;
            for (i += 2; i < n; ++i) {
                const char32_t c = u.at(i);
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == u'"' || c == u'\'') {
                    quote = c;
                } else if (c == u'[') {
                    ++depth;
                } else if (c == u']') {
                    --depth;
                } else if (c == u'>' && depth <= 0) {
                    break;
                }
            }
            if (i >= n)
                unreadable();
            ++i;
        } else if (u.startsWith(i, "</")) {
            i = skipPast(i + 2, ">");
        } else {
            TagSpan tag;
            qsizetype k = i + 1;
            while (k < n && !isSpace(u.at(k)) && u.at(k) != u'/' && u.at(k) != u'>')
                ++k;
            tag.name = u.text(i + 1, k);
            tag.nameEnd = k;
            for (;;) {
                while (k < n && isSpace(u.at(k)))
                    ++k;
                if (k >= n)
                    unreadable();
                if (u.at(k) == u'>' || u.startsWith(k, "/>"))
                    break;
                const qsizetype nameStart = k;
                while (k < n && !isSpace(u.at(k)) && u.at(k) != u'=')
                    ++k;
                TagSpan::Attribute a;
                a.name = u.text(nameStart, k);
                while (k < n && isSpace(u.at(k)))
                    ++k;
                if (k >= n || u.at(k) != u'=')
                    unreadable();
                ++k;
                while (k < n && isSpace(u.at(k)))
                    ++k;
                if (k >= n || (u.at(k) != u'"' && u.at(k) != u'\''))
                    unreadable();
                const char32_t quote = u.at(k);
                a.valueStart = ++k;
                while (k < n && u.at(k) != quote)
                    ++k;
                if (k >= n)
                    unreadable();
                a.valueEnd = k++;
                tag.attributes.push_back(a);
            }
            tags.push_back(std::move(tag));
            i = k;
        }
    }
    return tags;
}

// The position of `node` among the document's elements, in document order.
int elementOrdinal(const pugi::xml_document &doc, const pugi::xml_node &node)
{
    int ordinal = 0;
    int found = -1;
    struct Walker : pugi::xml_tree_walker {
        pugi::xml_node target;
        int *ordinal, *found;
        bool for_each(pugi::xml_node &n) override
        {
            if (n.type() != pugi::node_element)
                return true;
            if (n == target) {
                *found = *ordinal;
                return false;
            }
            ++*ordinal;
            return true;
        }
    } walker;
    walker.target = node;
    walker.ordinal = &ordinal;
    walker.found = &found;
    const_cast<pugi::xml_document &>(doc).traverse(walker);
    return found;
}

// Attribute values to set on one element of the file.
struct AttributeEdit {
    pugi::xml_node element;
    std::vector<std::pair<QString, QString>> values; // name, new value (ASCII)
};

// The file's bytes with the attributes set: each value replaced between its
// quotes, a missing attribute added after the element's last one. Every other
// byte (line ends, blanks, quotes, entities, comments) stays as it was.
QByteArray withAttributes(const LoadedDoc &d, const std::vector<AttributeEdit> &edits)
{
    const Units u(d.bytes, d.result.encoding);
    const std::vector<TagSpan> tags = scanStartTags(u);
    struct Splice {
        qsizetype from, to; // units
        QString text;
        size_t order = 0;
    };
    std::vector<Splice> splices;
    for (const AttributeEdit &e : edits) {
        const int ordinal = elementOrdinal(d.doc, e.element);
        if (ordinal < 0 || ordinal >= int(tags.size()) || tags[size_t(ordinal)].name != qs(e.element.name()))
            unreadable();
        const TagSpan &tag = tags[size_t(ordinal)];
        for (const auto &edit : e.values) {
            const QString &name = edit.first;
            const QString &value = edit.second;
            const auto it = std::find_if(tag.attributes.begin(), tag.attributes.end(),
                                         [&](const TagSpan::Attribute &a) { return a.name == name; });
            if (it != tag.attributes.end()) {
                splices.push_back({it->valueStart, it->valueEnd, value, splices.size()});
            } else {
                const qsizetype at = tag.attributes.empty() ? tag.nameEnd : tag.attributes.back().valueEnd + 1;
                splices.push_back({at, at, QStringLiteral(" %1=\"%2\"").arg(name, value), splices.size()});
            }
        }
    }
    // From the end of the file backwards, so that earlier offsets stay valid;
    // attributes added at one place keep the order in which they were given.
    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) {
        return a.from != b.from ? a.from > b.from : a.order > b.order;
    });
    QByteArray out = d.bytes;
    for (const Splice &s : splices)
        out.replace(u.byteOffset(s.from), u.byteOffset(s.to) - u.byteOffset(s.from), u.encode(s.text));
    return out;
}

} // namespace

namespace shapeconfig {

bool ReadFlag(const QString &text)
{
    const QString t = text.trimmed();
    return t == QLatin1String("True") || t == QLatin1String("Vero");
}

std::optional<bool> ReadBoolean(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *yes : {"True", "Vero"})
        if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
            return true;
    for (const char *no : {"False", "Falso"})
        if (t.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
            return false;
    if (const auto v = platform::num::parse(t))
        return *v != 0;
    return std::nullopt;
}

std::int64_t ReadLong(const QString &text)
{
    const QString t = text.trimmed();
    double v = 0;
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (integer.match(t).hasMatch()) {
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        v = ok ? double(n) : std::numeric_limits<double>::infinity();
    } else if (const auto p = platform::num::parse(t)) {
        v = platform::num::roundHalfEven(*p, 0);
    } else {
        throw platform::RuntimeError(platform::err::TypeMismatch,
                                     QStringLiteral("Tipo non corrispondente: \"%1\" non è un numero").arg(text));
    }
    if (!(v >= -2147483648.0 && v <= 2147483647.0))
        throw platform::RuntimeError(Overflow, QStringLiteral("Overflow: %1").arg(text));
    return std::int64_t(v);
}

} // namespace shapeconfig

QString ShapeConfigFile()
{
    const QString found = platform::files::resolve(gFilesPath, ConfigName);
    return found.isEmpty() ? gFilesPath + ConfigName : found;
}

platform::map::Symbol LayerSymbol(const LayerInfo &r)
{
    platform::map::Symbol s;
    s.color = platform::map::colorFromLong(r.BackColor);
    s.outlineColor = platform::map::colorFromLong(r.OutlineColor);
    s.outline = r.Outline;
    s.style = r.Trasparenza ? platform::map::Symbol::Transparent : platform::map::Symbol::Solid;
    s.size = 1;
    return s;
}

void CaricaShapeLayers(platform::map::Map &map, std::vector<LayerInfo> &layerInfo, int &IdxLayerTema,
                       const QString &configFile, const QString &levelName, const QString &shapeFolder)
{
    using namespace shapeconfig;
    layerInfo.clear();
    LoadedDoc d;
    loadDocument(configFile, d);
    const QString level = levelName.toLower();
    const pugi::xml_node caseNode = findCase(d.doc, level);
    map.setBackColor(platform::map::colorFromLong(
        ReadLong(requiredAttribute(caseNode, "mapBackColor", QStringLiteral("Case \"%1\"").arg(level)))));

    const pugi::xml_node shapes = d.doc.child("Configs").child("Shapes");
    int i = 0;
    // Only elements are layers: comments and text between them are not.
    for (pugi::xml_node child : caseNode.children()) {
        if (child.type() != pugi::node_element)
            continue;
        layerInfo.emplace_back();
        LayerInfo &r = layerInfo.back();
        const QString text = textOf(child);
        const QString key = text.toLower();
        const pugi::xml_node shape = shapes ? childByName(shapes, "Shape", key) : pugi::xml_node();
        if (!shape)
            missing(QStringLiteral("la Shape \"%1\" in Shapes").arg(key));
        r.FileName = shapeElement(shape, "FileName", key);
        r.GeoName = shapeElement(shape, "GeoName", key);
        r.FieldId = shapeElement(shape, "FieldId", key);
        r.LandFields = shapeElement(shape, "LandFields", key);
        r.LandMatch = shapeElement(shape, "LandMatch", key);
        const QString where = QStringLiteral("\"%1\" nel livello \"%2\"").arg(text, level);
        r.OutlineColor = ReadLong(requiredAttribute(child, "OutlineColor", where));
        r.BackColor = ReadLong(requiredAttribute(child, "BackColor", where));
        r.MatchesLevel = r.LandMatch == level;
        r.Outline = ReadFlag(requiredAttribute(child, "Outline", where));
        r.Trasparenza = ReadFlag(requiredAttribute(child, "Trasparenza", where));
        r.Label = shapeElement(shape, "Label", key);
        const QString useToMatch = requiredAttribute(child, "useToMatch", where);
        const std::optional<bool> thematic = ReadBoolean(useToMatch);
        if (!thematic)
            logOnly(QStringLiteral("CaricaShapeLayers"), platform::err::TypeMismatch,
                    QStringLiteral("useToMatch=\"%1\" di %2 non è un valore booleano: il layer non è tematico")
                        .arg(useToMatch, where));
        if (thematic.value_or(false))
            IdxLayerTema = i;
        r.Layer = std::make_shared<platform::map::MapLayer>(r.GeoName);
        ++i;
    }

    // The shape files, first record at the bottom; a file that does not open is left out.
    const QString folder = platform::files::withSep(shapeFolder);
    for (LayerInfo &r : layerInfo) {
        if (r.Layer->setFile(folder + r.FileName + QStringLiteral(".shp"))) {
            r.Layer->setSymbol(LayerSymbol(r));
            map.addLayer(r.Layer);
        }
    }
    map.setExtent(map.fullExtent());
}

void CaricaShapeLayers(platform::map::Map &map, std::vector<LayerInfo> &layerInfo, int &IdxLayerTema)
{
    CaricaShapeLayers(map, layerInfo, IdxLayerTema, ShapeConfigFile(), gNomeLivelloMappa, gShapePath);
}

void ApplyLayerSymbols(std::vector<LayerInfo> &layerInfo)
{
    for (LayerInfo &r : layerInfo) {
        if (!r.Layer)
            r.Layer = std::make_shared<platform::map::MapLayer>(r.GeoName);
        r.Layer->setSymbol(LayerSymbol(r));
    }
}

void SalvaLayer(const QString &configFile, const QString &levelName, std::int64_t mapBackColor,
                const QString &layerText, const LayerInfo &record)
{
    LoadedDoc d;
    loadDocument(configFile, d);
    const QString level = levelName.toLower();
    pugi::xml_node caseNode = findCase(d.doc, level);

    pugi::xml_node target;
    for (pugi::xml_node child : caseNode.children())
        if (child.type() == pugi::node_element && textOf(child) == layerText) {
            target = child;
            break;
        }
    if (!target)
        missing(QStringLiteral("il layer \"%1\" nel livello \"%2\"").arg(layerText, level));

    // Only these values change: the rest of the file stays byte for byte.
    const QByteArray bytes = withAttributes(
        d, {{caseNode, {{QStringLiteral("mapBackColor"), QString::number(mapBackColor)}}},
            {target,
             {{QStringLiteral("Outline"), boolText(record.Outline)},
              {QStringLiteral("OutlineColor"), QString::number(record.OutlineColor)},
              {QStringLiteral("BackColor"), QString::number(record.BackColor)},
              {QStringLiteral("Trasparenza"), boolText(record.Trasparenza)}}}});
    QString reason;
    if (!platform::files::writeAtomic(configFile, bytes, &reason))
        throw platform::RuntimeError(platform::err::PathNotFound, reason);
}

void SalvaLayer(std::int64_t mapBackColor, const QString &layerText, const LayerInfo &record)
{
    SalvaLayer(ShapeConfigFile(), gNomeLivelloMappa, mapBackColor, layerText, record);
}

} // namespace maps
