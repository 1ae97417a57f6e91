#include "scene/constructors/ObjectSpace.h"

#ifdef LW_OBJECT_SPACE_OWNS_VIEW_METRICS
ViewMetricsRecord ViewMetrics;
#endif
