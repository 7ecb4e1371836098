#include "platform/raster/raster.h"
