#pragma once
// The printed glossary term: its name and its definition.
//
// Use: if (rptGlossario::Default().InitReport(term)) rptGlossario::Default().Show();
//      else the caller's message "Impossibile eseguire la stampa".
// or the same in one call: rptGlossario::ShowTerm(term) (false: not prepared).
#include "metadata/rptMetadata.h"

class rptGlossario : public rptMetadata {
public:
    rptGlossario();
    static rptGlossario &Default();

    static platform::report::Design MakeDesign();
    static QString Query(const QString &p);

    // Prepares the report for the term `p` (apostrophes allowed); true when it can be shown.
    bool InitReport(const QString &p);

    // InitReport on the one instance and, when it succeeds, the modal preview.
    // Returns InitReport's result.
    static bool ShowTerm(const QString &term, QWidget *parent = nullptr);
};
