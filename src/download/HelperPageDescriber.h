#pragma once

#include "app/PrefsSnapshot.h"
#include "services/PageDescriber.h"

class BinaryHelpers;

// The download helper's answer for a page no service plugin reads ("--dump-json" of the
// page), for the generic service's media reads.
class HelperPageDescriber : public PageDescriber
{
public:
    explicit HelperPageDescriber(const BinaryHelpers* helpers);

    QString describe(const QString& address, QString* error) const override;

private:
    const BinaryHelpers* m_helpers;
};
