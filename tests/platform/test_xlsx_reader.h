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

// The part `name` of the archive parsed; false when it is missing or not XML.
inline bool LoadPart(zip_t *z, const std::string &name, pugi::xml_document &doc)
{
    zip_stat_t st;
    zip_file_t *f = zip_stat(z, name.c_str(), 0, &st) == 0 ? zip_fopen(z, name.c_str(), 0) : nullptr;
    if (!f)
        return false;
    std::string data(size_t(st.size), '\0');
    const bool read = zip_fread(f, data.data(), st.size) == zip_int64_t(st.size);
    zip_fclose(f);
    return read && doc.load_string(data.c_str());
}

inline Book Read(const QString &path)
{
    Book book;
    int err = 0;
    zip_t *z = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &err);
    if (!z)
        return book;
    pugi::xml_document wb, rels, ss, styles;
    if (!LoadPart(z, "xl/workbook.xml", wb) || !LoadPart(z, "xl/_rels/workbook.xml.rels", rels)) {
        zip_close(z);
        return book;
    }
    std::vector<QString> shared;
    if (LoadPart(z, "xl/sharedStrings.xml", ss))
        for (pugi::xml_node si : ss.child("sst").children("si")) {
            QString text;
            for (pugi::xpath_node t : si.select_nodes(".//*[local-name()='t']"))
                text += QString::fromUtf8(t.node().child_value());
            shared.push_back(text);
        }
    // Cell style index -> number format code (built-in 0 is General).
    std::vector<QString> formatOfStyle;
    if (LoadPart(z, "xl/styles.xml", styles)) {
        const pugi::xml_node sheet = styles.child("styleSheet");
        std::map<int, QString> codes = {{0, QString()}, {1, "0"}, {2, "0.00"}};
        for (pugi::xml_node f : sheet.child("numFmts").children("numFmt"))
            codes[f.attribute("numFmtId").as_int()] = QString::fromUtf8(f.attribute("formatCode").value());
        for (pugi::xml_node xf : sheet.child("cellXfs").children("xf"))
            formatOfStyle.push_back(codes[xf.attribute("numFmtId").as_int()]);
    }
    std::map<std::string, std::string> targets;
    for (pugi::xml_node r : rels.child("Relationships").children("Relationship"))
        targets[r.attribute("Id").value()] = r.attribute("Target").value();
    book.activeTab = wb.child("workbook").child("bookViews").child("workbookView").attribute("activeTab").as_int(0);

    for (pugi::xml_node s : wb.child("workbook").child("sheets").children("sheet")) {
        Sheet sheet;
        sheet.name = QString::fromUtf8(s.attribute("name").value());
        pugi::xml_document doc;
        if (!LoadPart(z, "xl/" + targets[s.attribute("r:id").value()], doc)) {
            zip_close(z);
            return book;
        }
        const pugi::xml_node ws = doc.child("worksheet");
        for (pugi::xml_node col : ws.child("cols").children("col"))
            for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c)
                sheet.widths[c - 1] = col.attribute("width").as_double();
        for (pugi::xml_node row : ws.child("sheetData").children("row"))
            for (pugi::xml_node c : row.children("c")) {
                if (!c.child("v"))
                    continue; // a formatted blank
                Cell cell;
                const std::string t = c.attribute("t").value();
                cell.text = QString::fromUtf8(c.child("v").child_value());
                cell.type = t == "s" ? 's' : t == "b" ? 'b' : 'n';
                if (t == "s")
                    cell.text = shared.at(size_t(cell.text.toInt()));
                else
                    cell.number = cell.text.toDouble();
                const size_t style = size_t(c.attribute("s").as_int(0));
                if (style < formatOfStyle.size())
                    cell.format = formatOfStyle[style];
                // The reference split into its column letters and its row number.
                const QString ref = QString::fromUtf8(c.attribute("r").value());
                int i = 0, col = 0;
                for (; i < ref.size() && ref[i].isLetter(); ++i)
                    col = col * 26 + (ref[i].unicode() - u'A' + 1);
                sheet.maxRow = std::max(sheet.maxRow, ref.mid(i).toInt() - 1);
                sheet.maxCol = std::max(sheet.maxCol, col - 1);
                sheet.cells[ref] = cell;
            }
        book.sheets.push_back(std::move(sheet));
    }
    zip_close(z);
    book.ok = true;
    return book;
}

} // namespace xlsxtest
