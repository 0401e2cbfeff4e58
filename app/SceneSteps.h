// Where the scene joins the shell: one step of start-up and three steps of
// every pass of the frame loop.
#pragma once

#include "blitter/Pixmix.h"

// Start-up, once the device exists and DisplayDepth is 32: "SpriteList.txt"
// into the map's registry, then "test.map" into the map. False ends the program.
bool StartScene();

// Start-up, after StartScene: the walkers join the map.
void PlaceWalkers();

// Each pass, before FrameTick is sampled: held keys become step requests.
void PollKeys();

// Each pass, right after FrameTick is sampled: Walker1, then Walker2.
void UpdateWalkers();

// Each pass, between clearing the draw surface and writing the frame rate.
void DrawScene(SurfaceBuffer surface);
