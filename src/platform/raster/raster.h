// Off-screen surfaces and block transfers for the animated-GIF control.
#pragma once

namespace muto::raster {}
