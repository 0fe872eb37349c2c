#include "maps/ShapeConfig.h"

#include "frame/Globals.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/NumText.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <pugixml.hpp>

#include <cmath>
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
    bool bom = false;
    QByteArray newline = "\n";  // between the nodes outside the root element
    bool finalNewline = false;
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

// Parse options that keep the file as written, so that a save changes only
// the attributes it sets.
constexpr unsigned ParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;

void loadDocument(const QString &path, LoadedDoc &d)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        throw platform::RuntimeError(platform::err::FileNotFound,
                                     QStringLiteral("File non trovato: %1").arg(path.isEmpty() ? ConfigName : path));
    const QByteArray bytes = f.readAll();
    d.bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (bytes.contains("\r\n"))
        d.newline = "\r\n";
    d.finalNewline = bytes.endsWith('\n');
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

void setAttribute(pugi::xml_node n, const char *name, const QString &value)
{
    pugi::xml_attribute a = n.attribute(name);
    if (!a)
        a = n.append_attribute(name);
    a.set_value(utf8(value).c_str());
}

QString boolText(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

struct StringWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void *data, size_t size) override { bytes.append(static_cast<const char *>(data), qsizetype(size)); }
};

// Writes the document back as it was read: the parser keeps the text inside
// the root element; the line breaks between the nodes around it are restored.
void serialize(LoadedDoc &d, StringWriter &w)
{
    const pugi::xml_encoding enc = d.result.encoding;
    if (enc != pugi::encoding_utf8 && enc != pugi::encoding_latin1) {
        d.doc.save(w, "", pugi::format_raw | (d.bom ? pugi::format_write_bom : 0u), enc);
        return;
    }
    if (d.bom && enc == pugi::encoding_utf8)
        w.bytes.append("\xEF\xBB\xBF");
    bool first = true;
    for (pugi::xml_node n : d.doc.children()) {
        if (!first)
            w.bytes.append(d.newline);
        first = false;
        n.print(w, "", pugi::format_raw, enc);
    }
    if (d.finalNewline)
        w.bytes.append(d.newline);
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
    setAttribute(caseNode, "mapBackColor", QString::number(mapBackColor));

    pugi::xml_node target;
    for (pugi::xml_node child : caseNode.children())
        if (child.type() == pugi::node_element && textOf(child) == layerText) {
            target = child;
            break;
        }
    if (!target)
        missing(QStringLiteral("il layer \"%1\" nel livello \"%2\"").arg(layerText, level));
    setAttribute(target, "Outline", boolText(record.Outline));
    setAttribute(target, "OutlineColor", QString::number(record.OutlineColor));
    setAttribute(target, "BackColor", QString::number(record.BackColor));
    setAttribute(target, "Trasparenza", boolText(record.Trasparenza));

    StringWriter w;
    serialize(d, w);

    QSaveFile out(configFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(w.bytes) != w.bytes.size() || !out.commit())
        throw platform::RuntimeError(platform::err::PathNotFound,
                                     QStringLiteral("Impossibile salvare %1: %2").arg(configFile, out.errorString()));
}

void SalvaLayer(std::int64_t mapBackColor, const QString &layerText, const LayerInfo &record)
{
    SalvaLayer(ShapeConfigFile(), gNomeLivelloMappa, mapBackColor, layerText, record);
}

} // namespace maps
