#pragma once
// The demo: sample images of its own, and a walk through the typical edit of a button's glyph and
// then of an icon, as a script with a screenshot of each step.

#include <string>
#include <vector>

// Writes the sample images into Folder (created when missing): bitmaps of several sizes, some on
// the maroon background that thumbnails and glyphs show transparent, and icons with one or more
// images. Returns the files written.
std::vector<std::string> WriteDemoImages(const std::string& Folder);

// The demo's script for a demo folder whose images lie in ImagesFolder.
std::string DemoScript(const std::string& ImagesFolder);
