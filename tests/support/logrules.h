#pragma once
// Logging rules for one scope. A test that switches on lines the test mains leave off (the trace
// categories) gets the mains' rules back when the scope ends, however it ends: a check that
// fails in between returns from the test function, and the next test must not run with the
// trace on or with the program's debug lines off.
//
//   {
//       ScopedLogRules rules("quelvarin.free.spectrum.debug=true");
//       ...
//   }

#include "testenv.h"

#include <QLoggingCategory>
#include <QString>

class ScopedLogRules
{
public:
    explicit ScopedLogRules(const QString& rules) { QLoggingCategory::setFilterRules(rules); }
    ~ScopedLogRules()
    {
        QLoggingCategory::setFilterRules(QString::fromLatin1(testenv::kDebugLineRules));
    }
    ScopedLogRules(const ScopedLogRules&) = delete;
    ScopedLogRules& operator=(const ScopedLogRules&) = delete;
};
