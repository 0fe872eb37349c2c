#pragma once
// A run-time error as the handlers see it: a number and a description, the pair
// that the error logger writes. Every layer of the program raises this type.
// The description is in the user's words; `detail` keeps the library's own
// text (often English) for the error log only.
#include <QString>
#include <stdexcept>

namespace platform {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, const QString &description, const QString &detail = {})
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description),
          m_detail(detail) {}
    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    const QString &detail() const { return m_detail; }

private:
    long m_number;
    QString m_description;
    QString m_detail;
};

// Error numbers used across the program (the classic run-time numbers where one exists).
namespace err {
constexpr long TypeMismatch = 13;          // a text that is not a number where a number is needed
constexpr long SubscriptOutOfRange = 9;
constexpr long OutOfMemory = 7;            // a request bigger than the program allows (see db::Limits)
constexpr long FileNotFound = 53;
constexpr long PathNotFound = 76;
constexpr long LibraryNotLoaded = 48;        // a shared library that cannot be opened
constexpr long LibraryFunctionMissing = 453; // a shared library without a function the program needs
constexpr long ItemNotFound = 3265;        // a field name not in the recordset
constexpr long RequestTooComplex = -2147467259; // &H80004005: the engine refused an oversized request
constexpr long DatabaseError = -2147217900;     // any other error of the database engine
}

} // namespace platform
