#include "mp3/stereo_tables.h"

namespace sonarel::mp3 {

const float kIntensityMpeg1Left[kMpeg1IntensityPositions] = {
    0.0f, 0.211324871f, 0.366025418f, 0.5f, 0.633974612f, 0.788675129f, 1.0f};

const float kIntensityMpeg1Right[kMpeg1IntensityPositions] = {
    1.0f, 0.788675129f, 0.633974612f, 0.5f, 0.366025418f, 0.211324871f, 0.0f};

const float kIntensityMpeg2[2][16] = {
    {1.0f, 0.840896428f, 0.707106769f, 0.594603539f, 0.5f, 0.420448214f, 0.353553385f, 0.297301769f,
     0.25f, 0.210224107f, 0.176776692f, 0.148650885f, 0.125f, 0.105112053f, 0.0883883461f,
     0.0743254423f},
    {1.0f, 0.707106769f, 0.5f, 0.353553385f, 0.25f, 0.176776692f, 0.125f, 0.0883883461f, 0.0625f,
     0.0441941731f, 0.03125f, 0.0220970865f, 0.015625f, 0.0110485433f, 0.0078125f, 0.00552427163f},
};

} // namespace sonarel::mp3
