// Where the scene joins the shell: two steps of start-up and three steps of
// every pass of the frame loop, called in the order written here.
#pragma once

#include "blitter/Pixmix.h"

// Start-up, once the device exists and DisplayDepth is 32: "SpriteList.txt"
// into the map's registry, then "test.map" into the map. Returns false when
// either cannot be read; the program then ends.
bool StartScene();

// Start-up, after StartScene: the walkers join the map.
void PlaceWalkers();

// Each pass, before FrameTick is sampled: held keys become step requests
// (KeyPolling.cpp).
void PollKeys();

// Each pass, right after FrameTick is sampled: Walker1, then Walker2.
void UpdateWalkers();

// Each pass, between clearing the draw surface and writing the frame rate.
void DrawScene(SurfaceBuffer surface);
