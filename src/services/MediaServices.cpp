#include "MediaServices.h"

MediaServices::MediaServices(QObject* parent)
    : QObject(parent)
{
}

bool MediaServices::isEmpty() const { return true; }
