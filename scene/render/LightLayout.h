// LightLayout: one light's picture layout, kept so that it can be made the process-wide layout
// again.
//
// SceneTransforms and ViewMetrics are process-wide, but every light is laid out for the back
// buffer of its own device. With several monitors the light laid out last would otherwise lend
// its layout to every other monitor's objects and drawing. So each layout routine captures a
// snapshot once it has set up the picture camera and the view metrics, and MutableLight
// installs the snapshot before the light's objects move and before its frame is drawn.
#pragma once

#include "scene/render/SceneTransforms.h"
#include "scene/render/ViewMetrics.h"

class LightLayout {
public:
    // Copies SceneTransforms and ViewMetrics as the layout routine has just set them.
    void Capture();
    // Makes the copies the process-wide records again and puts their view and projection on
    // CurrentDevice. Nothing happens before the first Capture.
    void Install() const;

    bool IsCaptured() const { return captured_; }
    const SceneTransformsRecord& Transforms() const { return transforms_; }
    const ViewMetricsRecord& Metrics() const { return metrics_; }

private:
    bool captured_ = false;
    SceneTransformsRecord transforms_ = InitSceneTransforms();
    ViewMetricsRecord metrics_;
};
