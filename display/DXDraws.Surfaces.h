// Device, surface, palette, clipper and canvas wrappers over the run-time loaded display module.
#pragma once
