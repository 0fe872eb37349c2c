// What the metadata sheets compute from a row: cleaned notes, lines by year,
// sub-area codes, level and evaluation words, the ticks.
#include "metadata/SchedaLogic.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace scheda;
using platform::db::Recordset;
using platform::db::Value;

namespace {

TEST(SchedaLogic, PulisciTesto)
{
    const std::pair<QString, QString> cases[] = {
        {"", ""}, {"a\nb", "a b"}, {"a\r\nb", "a\r b"},
        {QString::fromUtf8("\u201cvia\u201d \u2022 punto"), "'via' - punto"},
        {QString::fromUtf8("l'\u00e8 \u2013 \u2018x\u2019"), QString::fromUtf8("l'\u00e8 \u2013 \u2018x\u2019")},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(PulisciTesto(in), out) << in.toStdString();
}

TEST(SchedaLogic, CodesAndWords)
{
    const std::pair<QString, QString> subAreas[] = {
        {"A01", "A01"}, {"A01-PD", "A01"}, {"A-PD01", "A-P"}, {"a01-pd", "a01-pd"}, {"", ""}, {"-PD", ""}};
    for (const auto &[in, out] : subAreas)
        EXPECT_EQ(SubAreaCode(in), out) << in.toStdString();

    const std::pair<QString, std::optional<QString>> levels[] = {
        {"P", "Provinciale"}, {"p", "Provinciale"}, {"R", "Regionale"}, {"r", "Regionale"},
        {"", QString()},      {"X", std::nullopt},  {"PR", std::nullopt}};
    for (const auto &[in, out] : levels)
        EXPECT_EQ(LivelloWord(in), out) << in.toStdString();

    const std::pair<QString, QString> words[] = {
        {"A", "Contesto"},        {"B1", "Dotazione"}, {"B2", "Dotazione"},    {"B3", "Dotazione"},
        {"C", "Funzionalità"},    {"C1", "Funzionalità"}, {"D", "Funzionalità"}, {"E", "Domanda"},
        {"E1", "Domanda"},        {"E2", "Domanda"},   {"b2", ""},             {"B4", ""},
        {"", ""},                 {" A", ""}};
    for (const auto &[in, out] : words)
        EXPECT_EQ(ValutazioneWord(in), out) << in.toStdString();
}

TEST(SchedaLogic, Ticks)
{
    const std::pair<Value, bool> ones[] = {
        {Value::integer(1), true},     {Value::text("1"), true},      {Value::text(" 1 "), true},
        {Value::real(1.0), true},      {Value::integer(0), false},    {Value::integer(2), false},
        {Value(), false},              {Value::text("uno"), false},   {Value::text(""), false},
        {Value::boolean(true), false}, {Value::integer(-1), false}};
    for (const auto &[v, ticked] : ones)
        EXPECT_EQ(IsOne(v), ticked) << v.toString().toStdString();

    const std::pair<Value, bool> si[] = {{Value::text("si"), true},  {Value::text("Si"), true},
                                         {Value::text("SI"), true},  {Value::text("No"), false},
                                         {Value(), false},           {Value::text("Si "), false}};
    for (const auto &[v, ticked] : si)
        EXPECT_EQ(IsSi(v), ticked) << v.toString().toStdString();
}

Recordset yearRow(const QString &prefix, const std::vector<Value> &values)
{
    QStringList names;
    for (int y = FirstYear; y <= LastYear; ++y)
        names << prefix + QString::number(y);
    return Recordset(names, std::vector<QString>(size_t(names.size())), values);
}

TEST(SchedaLogic, YearLinesSkipEmptyYears)
{
    std::vector<Value> v = {Value::text("ISTAT"), Value::text("-"), Value::text("  -  "), Value::text("   "),
                            Value::text(""),      Value::integer(0)};
    v.resize(13);
    v[12] = Value::text("Ente d'esempio");
    const Recordset rs = yearRow("fonte_", v);
    EXPECT_EQ(YearLines(rs, "Fonte_"), "1996: ISTAT\r\n\r\n2001: 0\r\n\r\n2008: Ente d'esempio\r\n\r\n");
    EXPECT_EQ(YearLines(yearRow("Note_", std::vector<Value>(13)), "Note_"), "");
    EXPECT_THROW(YearLines(rs, "Ente_"), platform::RuntimeError);
}

} // namespace
