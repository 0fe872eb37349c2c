#pragma once
// Reads back what tests need of an .xlsx file (a zip of XML parts): the sheet
// names in order, the sheet shown on opening, each cell's type and value, and
// the column widths.
#include <QString>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>
#include <zip.h>

namespace xlsxtest {

struct Cell {
    char type = 0;        // 's' text, 'n' number, 'b' Boolean; 0 = no cell
    QString text;         // the text, or the value as written in the file
    double number = 0;
    QString format;       // the number format's code ("0.00"); "" for General
};

struct Sheet {
    QString name;
    std::map<QString, Cell> cells;  // by reference ("A1")
    std::map<int, double> widths;   // column (from 0) -> width
    int maxRow = -1, maxCol = -1;   // of the cells present (from 0)
};

struct Book {
    bool ok = false;
    int activeTab = 0;
    std::vector<Sheet> sheets;
    const Cell &cell(int sheet, const QString &ref) const
    {
        static const Cell none;
        auto it = sheets.at(size_t(sheet)).cells.find(ref);
        return it == sheets.at(size_t(sheet)).cells.end() ? none : it->second;
    }
};

// "A1" for row 0, column 0.
inline QString Ref(int row, int col)
{
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

inline void SplitRef(const QString &ref, int &row, int &col)
{
    col = 0;
    int i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        col = col * 26 + (ref[i].unicode() - u'A' + 1);
    col -= 1;
    row = ref.mid(i).toInt() - 1;
}

inline std::optional<std::string> ZipEntry(zip_t *z, const char *name)
{
    zip_stat_t st;
    if (zip_stat(z, name, 0, &st) != 0)
        return std::nullopt;
    zip_file_t *f = zip_fopen(z, name, 0);
    if (!f)
        return std::nullopt;
    std::string data(size_t(st.size), '\0');
    const zip_int64_t n = zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    if (n != zip_int64_t(st.size))
        return std::nullopt;
    return data;
}

inline QString NodeText(const pugi::xml_node &si)
{
    QString out;
    for (pugi::xpath_node t : si.select_nodes(".//*[local-name()='t']"))
        out += QString::fromUtf8(t.node().child_value());
    return out;
}

inline Book Read(const QString &path)
{
    Book book;
    int err = 0;
    zip_t *z = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &err);
    if (!z)
        return book;
    const auto wbXml = ZipEntry(z, "xl/workbook.xml");
    const auto relsXml = ZipEntry(z, "xl/_rels/workbook.xml.rels");
    const auto ssXml = ZipEntry(z, "xl/sharedStrings.xml");
    const auto stylesXml = ZipEntry(z, "xl/styles.xml");
    if (!wbXml || !relsXml) {
        zip_close(z);
        return book;
    }
    std::vector<QString> shared;
    pugi::xml_document ss;
    if (ssXml && ss.load_string(ssXml->c_str()))
        for (pugi::xml_node si : ss.child("sst").children("si"))
            shared.push_back(NodeText(si));

    // Cell style index -> number format code (built-in 0 is General).
    std::vector<QString> formatOfStyle;
    pugi::xml_document styles;
    if (stylesXml && styles.load_string(stylesXml->c_str())) {
        const pugi::xml_node ss = styles.child("styleSheet");
        std::map<int, QString> codes = {{0, QString()}, {1, "0"}, {2, "0.00"}};
        for (pugi::xml_node f : ss.child("numFmts").children("numFmt"))
            codes[f.attribute("numFmtId").as_int()] = QString::fromUtf8(f.attribute("formatCode").value());
        for (pugi::xml_node xf : ss.child("cellXfs").children("xf"))
            formatOfStyle.push_back(codes[xf.attribute("numFmtId").as_int()]);
    }

    pugi::xml_document rels, wb;
    rels.load_string(relsXml->c_str());
    wb.load_string(wbXml->c_str());
    std::map<std::string, std::string> targets;
    for (pugi::xml_node r : rels.child("Relationships").children("Relationship"))
        targets[r.attribute("Id").value()] = r.attribute("Target").value();
    book.activeTab = wb.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int(0);

    for (pugi::xml_node s : wb.child("workbook").child("sheets").children("sheet")) {
        Sheet sheet;
        sheet.name = QString::fromUtf8(s.attribute("name").value());
        const std::string target = "xl/" + targets[s.attribute("r:id").value()];
        const auto xml = ZipEntry(z, target.c_str());
        pugi::xml_document doc;
        if (!xml || !doc.load_string(xml->c_str())) {
            zip_close(z);
            return book;
        }
        const pugi::xml_node ws = doc.child("worksheet");
        for (pugi::xml_node col : ws.child("cols").children("col"))
            for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c)
                sheet.widths[c - 1] = col.attribute("width").as_double();
        for (pugi::xml_node row : ws.child("sheetData").children("row")) {
            for (pugi::xml_node c : row.children("c")) {
                const pugi::xml_node v = c.child("v");
                if (!v)
                    continue; // a formatted blank
                Cell cell;
                const std::string t = c.attribute("t").value();
                const QString raw = QString::fromUtf8(v.child_value());
                if (t == "s") {
                    cell.type = 's';
                    cell.text = shared.at(size_t(raw.toInt()));
                } else if (t == "b") {
                    cell.type = 'b';
                    cell.text = raw;
                    cell.number = raw.toDouble();
                } else {
                    cell.type = 'n';
                    cell.text = raw;
                    cell.number = raw.toDouble();
                }
                const size_t style = size_t(c.attribute("s").as_int(0));
                if (style < formatOfStyle.size())
                    cell.format = formatOfStyle[style];
                const QString ref = QString::fromUtf8(c.attribute("r").value());
                int r = 0, k = 0;
                SplitRef(ref, r, k);
                sheet.maxRow = std::max(sheet.maxRow, r);
                sheet.maxCol = std::max(sheet.maxCol, k);
                sheet.cells[ref] = cell;
            }
        }
        book.sheets.push_back(std::move(sheet));
    }
    zip_close(z);
    book.ok = true;
    return book;
}

} // namespace xlsxtest
