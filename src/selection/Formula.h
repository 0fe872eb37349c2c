#pragma once
// Formula columns of the data table, without any window: the keypad rules that
// build a formula, the formula's compilation and its evaluation row by row,
// and the name of the new column.
//
// A formula is a text of tokens separated by blanks: column names of the data
// table, numbers written with "." as decimal point, + - * / ^ and parentheses.
// Operators bind in this order: ^ first (left to right, so
// 2 ^ 3 ^ 2 is 64), then the sign, then * and /, then + and -.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace platform::grid {
class TextGrid;
}

namespace formula {

// ---- the keypad ----------------------------------------------------------------------

// The formula as the keypad and the list of columns build it. Each input is
// accepted or ignored so that operands and operators alternate; numbers are
// typed digit by digit and end without a blank.
class Keypad {
public:
    // Kinds of the last token: "" nothing yet, "ope" an operator, "par" a
    // parenthesis, "col" an operand (a column name or a number).
    QString TipoUltimoToken;
    // True while the digits of a number are being typed.
    bool NumeroAperto = false;

    const QString &Text() const { return m_text; }

    // Back to an empty formula.
    void Reset();
    // Appends a token, followed by a blank unless a number is open.
    void AggiungiToken(const QString &token);
    // An operator ("+", "-", "*", "/", "^", "* 100") or a parenthesis.
    // Returns false when the rules ignore it.
    bool OperatoreQuery(const QString &token);
    // A digit or the decimal point ".". Returns false when ignored.
    bool AggiungiNumero(const QString &character);
    // A column name chosen from the list. Returns false when ignored.
    bool AggiungiColonna(const QString &name);

private:
    QString m_text;
};

// ---- compilation and evaluation -------------------------------------------------

// A compiled formula. Operands are the value columns named in `nomiColonne`
// (index = grid column; only indices from 5 on are names) and numbers.
class Expression {
public:
    // The deepest nesting of parentheses and signs a formula may have.
    static constexpr int MaxNesting = 256;

    // Compiles `text`; nullopt when it is not a well-formed formula (an
    // unknown name, a misplaced operator or parenthesis, an empty formula, or
    // parentheses and signs nested more than MaxNesting levels deep).
    static std::optional<Expression> Compile(const QString &text, const QStringList &nomiColonne);

    // The grid columns the formula reads, in the order they appear.
    const std::vector<int> &Columns() const { return m_columns; }

    // True when the formula is one number and nothing else.
    bool IsPlainNumber() const { return m_plainNumber; }

    // The value for the given operand values; nullopt when there is none
    // (a division by zero, or a result out of the range of numbers).
    std::optional<double> Evaluate(const std::function<double(int column)> &value) const;

    // The text of one row's cell: "" when an operand cell is empty or not a
    // number, or the value is missing; a plain-number formula gives its number
    // as written (in the user's locale); anything else four decimals.
    QString CalcolaRiga(const std::function<QString(int column)> &cell) const;

    // CalcolaRiga for the data rows 1 to Rows - 1 of `grid`, in order.
    std::vector<QString> CalcolaColonna(const platform::grid::TextGrid &grid) const;

private:
    enum class Op { Number, Column, Neg, Add, Sub, Mul, Div, Pow };
    struct Step {
        Op op;
        double number = 0; // Number
        int column = -1;   // Column
    };
    std::vector<Step> m_program; // postfix order
    std::vector<int> m_columns;
    bool m_plainNumber = false;
    QString m_plainText; // the number as typed

    friend class Parser;
};

// The first index from 5 on whose element equals `token` exactly, or -1.
int ColumnOfToken(const QString &token, const QStringList &nomiColonne);

// ---- the name of the new column ---------------------------------------------------------

// The proposed name: "Funz" and one more than the largest n of the existing
// columns named Funz<n> (any case); "Funz1" when there is none.
QString ProponiNome(const QStringList &nomiColonne);

// What is wrong with a name the user gave for the new column.
enum class NomeCheck { Ok, Empty, SpecialChars, StartsWithDigit, Duplicate };
// `headers`: every column header of the table, the fixed ones included.
NomeCheck VerificaNome(const QString &name, const QStringList &headers);

// The messages of the name prompt and of the formula.
inline const QString PromptNome = QStringLiteral("Inserire un nome per l'indicatore.");
inline const QString TitoloNome = QStringLiteral("Nome indicatore");
inline const QString MsgSpecialChars = QStringLiteral("Il nome non deve contenere spazi o caratteri speciali.");
inline const QString MsgStartsWithDigit = QStringLiteral("Il nome deve iniziare con una lettera.");
inline const QString MsgDuplicate = QStringLiteral("Esiste già una colonna con questo nome.");
inline const QString TitoloAttenzione = QStringLiteral("Attenzione!");
inline const QString MsgSintassi = QStringLiteral("L'espressione contiene errori di sintassi.");
inline const QString TitoloSintassi = QStringLiteral("ATTENZIONE!");

// The message for a refused name ("" for Ok and Empty).
QString MessaggioNome(NomeCheck check);

} // namespace formula
