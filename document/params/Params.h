// The value model every object description is made of: parameters, their listeners and undo,
// scaled parameters, rectangles, and the bindings of setters to parameters.
#pragma once

#include "document/params/ControlBinder.h"
#include "document/params/FunLightCtrl.h"
#include "document/params/MediaControl.h"
#include "document/params/MediaParam.h"
#include "document/params/MediaParamT.h"
#include "document/params/MediaRectangle.h"
#include "document/params/ParamArchive.h"
#include "document/params/ScaledParam.h"
