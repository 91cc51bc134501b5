#include "resources/resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
void initPictureResources()
{
    Q_INIT_RESOURCE(qv_pictures);
}
