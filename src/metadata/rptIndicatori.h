#pragma once
// The printed sheet of one indicator: identity, sub-area, "Aspetto" (the
// evaluation's description), method of calculation, associated variables,
// years available and technical notes.
#include "metadata/rptMetadata.h"

class rptIndicatori : public rptMetadata {
public:
    rptIndicatori();
    static rptIndicatori &Default();

    static platform::report::Design MakeDesign();
    static QString Query(const QString &p);

    // Prepares the report for the indicator `p`; true when it can be shown.
    bool InitReport(const QString &p);
};
