#pragma once
// The printed sheet of one variable: identity, sub-area, years available, unit,
// period, notes on the series and on each year, sources, publications and
// bodies by year. Its detail runs over several pages.
#include "metadata/rptMetadata.h"

class rptVariabili : public rptMetadata {
public:
    rptVariabili();
    // The report's one instance.
    static rptVariabili &Default();

    static platform::report::Design MakeDesign();
    // The data of the variable `p`.
    static QString Query(const QString &p);

    // Prepares the report for the variable `p`; true when it can be shown.
    bool InitReport(const QString &p);

protected:
    // No printer installed: "Stampante non installata!" in place of the engine's message.
    void DataReport_Error(long number, const QString &description, bool &showError) override;
};
