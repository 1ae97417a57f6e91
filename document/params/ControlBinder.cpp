#include "document/params/ControlBinder.h"

ControlBinder::~ControlBinder()
{
    for (MediaControl* control : controls_)
        delete control;
    controls_.clear();
    if (deleteOwner_ && owner_)
        deleter_(owner_);
}
