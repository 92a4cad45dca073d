#pragma once

#include "app/PrefsSnapshot.h"
#include "services/PageDescriber.h"

class BinaryHelpers;
class ProcessPool;

// The download helper's answer for a page no service plugin reads ("--dump-json" of the
// page), for the generic service's media reads.
class HelperPageDescriber : public PageDescriber
{
public:
    // The helper runs on "processPool" when given, so that it is bounded with the other
    // external programs and ends when the program quits; without one it runs on the caller.
    HelperPageDescriber(const BinaryHelpers* helpers, ProcessPool* processPool);

    // On failure "error" says why the helper could not run, else gives its own first error
    // line.
    QString describe(const QString& address, QString* error) const override;

private:
    const BinaryHelpers* m_helpers;
    ProcessPool* m_processPool;
};
