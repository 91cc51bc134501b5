#pragma once
// The program's pictures (":/icons/resource/...") live in a static library; this call makes sure
// they are linked in and registered. Call it before loading any of them (the application object
// does so).
void initPictureResources();
