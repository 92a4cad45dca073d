#include "BinaryHelpers.h"

BinaryHelpers::BinaryHelpers(QObject* parent)
    : QObject(parent)
{
}

bool BinaryHelpers::isEmpty() const { return true; }
