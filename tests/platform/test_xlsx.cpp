// The workbook layer: what it writes, read back from the file, and that a
// workbook reaches its name whole or not at all.
#include "platform/xlsx/Workbook.h"
#include "support/FileSizeLimit.h"
#include "test_common.h"
#include "test_xlsx_reader.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using platform::RuntimeError;
using platform::xlsx::Style;
using platform::xlsx::Workbook;
using ptest::readFile;
using ptest::writeFile;

TEST(Xlsx, CellsSheetsAndWidthsReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/prova.xlsx";
    {
        Workbook book(path);
        auto &a = book.addSheet("Dati");
        auto &b = book.addSheet("Metadati");
        a.writeText(0, 0, "COD_TERR", Style::Header);
        a.writeText(0, 1, "Città di prova");
        a.writeText(1, 0, "001");
        a.writeNumber(1, 1, 12.5);
        a.writeText(1, 2, "");              // stays blank
        a.writeNumber(2, 1, -0.25);
        a.writeText(2, 3, "riga uno\nuna riga molto più lunga");
        a.writeNumber(1, 4, 5419384, QStringLiteral("0.00"));
        a.writeNumber(2, 4, 4.16666, QStringLiteral("0.0000"));
        a.writeNumber(3, 4, 7, QStringLiteral("0.00")); // one format made once, used twice
        a.writeNumber(4, 4, 1.5, QString());            // General
        b.writeBoolean(0, 0, true);
        b.writeBoolean(0, 1, false);
        a.autoFitColumns(0, 4);
        b.activate();
        book.save();
    }
    const xlsxtest::Book r = xlsxtest::Read(path);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.sheets.size(), 2u);
    EXPECT_EQ(r.sheets[0].name, "Dati");
    EXPECT_EQ(r.sheets[1].name, "Metadati");
    EXPECT_EQ(r.activeTab, 1);

    struct Expect { int sheet; const char *ref; char type; QString text; double number; QString format = {}; };
    const std::vector<Expect> cells = {
        {0, "E2", 'n', {}, 5419384, "0.00"}, {0, "E3", 'n', {}, 4.16666, "0.0000"},
        {0, "E4", 'n', {}, 7, "0.00"},       {0, "E5", 'n', {}, 1.5, ""},
        {0, "A1", 's', "COD_TERR", 0},       {0, "B1", 's', "Città di prova", 0},
        {0, "A2", 's', "001", 0},            {0, "B2", 'n', {}, 12.5},
        {0, "C2", 0, {}, 0},                 {0, "B3", 'n', {}, -0.25},
        {0, "D3", 's', "riga uno\nuna riga molto più lunga", 0},
        {1, "A1", 'b', {}, 1},               {1, "B1", 'b', {}, 0},
    };
    for (const Expect &e : cells) {
        const xlsxtest::Cell &c = r.cell(e.sheet, e.ref);
        EXPECT_EQ(c.type, e.type) << e.ref;
        if (e.type == 's') {
            EXPECT_EQ(c.text, e.text) << e.ref;
        } else if (e.type) {
            EXPECT_DOUBLE_EQ(c.number, e.number) << e.ref;
            EXPECT_EQ(c.format, e.format) << e.ref;
        }
    }
    // Widths follow the longest line; a column with nothing written keeps the default.
    const auto &w = r.sheets[0].widths;
    ASSERT_TRUE(w.count(0) && w.count(1) && w.count(3));
    EXPECT_FALSE(w.count(2));
    EXPECT_GT(w.at(1), w.at(0));       // "Città di prova" is longer than "COD_TERR"
    EXPECT_NEAR(w.at(3), 24 + 2, 1.0); // the longer of the two lines
    EXPECT_NEAR(w.at(4), 10 + 2, 1.0); // "5419384,00" as its format shows it
    EXPECT_TRUE(r.sheets[1].widths.empty());
}

TEST(Xlsx, TheFileAppearsWholeOrNotAtAll)
{
    // existingFile: an old file of the same name; targetIsFolder: the name is taken by a folder;
    // missingFolder: the target's folder does not exist.
    struct Case { const char *what; bool existingFile, targetIsFolder, missingFolder, save, expectError; QString name = "out.xlsx"; };
    // As long a name as the file system allows (255 bytes, "ò" takes two).
    const QString longest = QString(100, u'ò') + QString(50, u'a') + ".xlsx";
    const std::vector<Case> cases = {
        {"new file", false, false, false, true, false},
        {"replaces an old file", true, false, false, true, false},
        {"abandoned: nothing written", false, false, false, false, false},
        {"abandoned: the old file stays", true, false, false, false, false},
        {"folder missing", false, false, true, true, true},
        {"name taken by a folder", false, true, false, true, true},
        {"the longest name", false, false, false, true, false, longest},
        {"the longest name replaces an old file", true, false, false, true, false, longest},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        QTemporaryDir dir;
        const QString folder = k.missingFolder ? dir.path() + "/manca" : dir.path();
        const QString path = folder + "/" + k.name;
        if (k.existingFile) {
            ASSERT_TRUE(writeFile(path, "vecchio"));
        }
        if (k.targetIsFolder) {
            ASSERT_TRUE(QDir().mkpath(path + "/dentro"));
        }
        EXPECT_EQ(ptest::errorOf([&] {
                      Workbook book(path);
                      book.addSheet("Dati").writeNumber(0, 0, 1);
                      if (k.save)
                          book.save();
                  }),
                  k.expectError ? platform::xlsx::FileAccessError : 0);
        if (k.save && !k.expectError) {
            const xlsxtest::Book r = xlsxtest::Read(path);
            ASSERT_TRUE(r.ok);
            EXPECT_DOUBLE_EQ(r.cell(0, "A1").number, 1);
        } else if (k.existingFile) {
            EXPECT_EQ(readFile(path), "vecchio");
        } else if (k.targetIsFolder) {
            EXPECT_TRUE(QFileInfo(path + "/dentro").isDir());
        } else {
            EXPECT_FALSE(QFileInfo::exists(path));
        }
        // No temporary file is left behind.
        EXPECT_EQ(ptest::names(dir.path()), QFileInfo::exists(path) ? QStringList{k.name} : QStringList{});
    }
}

TEST(Xlsx, RefusesWhatTheFormatCannotHold)
{
    QTemporaryDir dir;
    Workbook book(dir.path() + "/x.xlsx");
    auto &s = book.addSheet("Dati");
    for (const QString &bad : {QString(), QString("a[b"), QString("a/b"), QString(32, u'x'), QString("Dati")})
        EXPECT_THROW(book.addSheet(bad), RuntimeError) << bad.toStdString();
    EXPECT_THROW(s.writeText(platform::xlsx::MaxRows, 0, "x"), RuntimeError);
    EXPECT_THROW(s.writeText(0, platform::xlsx::MaxCols, "x"), RuntimeError);
    EXPECT_THROW(s.writeNumber(0, 0, std::numeric_limits<double>::quiet_NaN()), RuntimeError);
    EXPECT_THROW(s.writeNumber(0, 0, std::numeric_limits<double>::infinity()), RuntimeError);
    // A text longer than a cell can hold is cut, not refused.
    s.writeText(1, 0, QString(40000, u'a'));
    book.save();
    EXPECT_THROW(s.writeText(0, 0, "dopo"), RuntimeError);
    EXPECT_THROW(book.save(), RuntimeError);
    const xlsxtest::Book r = xlsxtest::Read(dir.path() + "/x.xlsx");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.cell(0, "A2").text.size(), platform::xlsx::MaxTextLength);
}

TEST(Xlsx, AFullDiskLeavesTheOldFileAndSaysSo)
{
    // Caps on every file the process writes (the library's own scratch files
    // included), from one that cuts the first part short to one past the
    // workbook's scratch files but short of the workbook itself.
    for (const rlim_t cap : {rlim_t(512), rlim_t(4096), rlim_t(16384), rlim_t(40000)}) {
        SCOPED_TRACE(cap);
        QTemporaryDir dir;
        const QString path = dir.filePath("Dati.xlsx");
        ASSERT_TRUE(writeFile(path, "vecchio"));
        auto write = [&] {
            Workbook book(path);
            auto &sheet = book.addSheet("Dati");
            for (int r = 0; r < 400; ++r)
                for (int c = 0; c < 12; ++c)
                    sheet.writeText(r, c, QString("Territorio %1 colonna %2 valore ripetuto").arg(r).arg(c));
            book.save();
        };
        QString error;
        {
            testsupport::FileSizeLimit limit(cap);
            error = ptest::failureOf(write).text;
        }
        EXPECT_TRUE(error.contains("Dati.xlsx")) << error.toStdString();
        EXPECT_EQ(readFile(path), "vecchio");
        EXPECT_EQ(ptest::names(dir.path()), QStringList{"Dati.xlsx"});
    }
}
