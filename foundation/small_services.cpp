#include "foundation/small_services.h"

#include <cmath>
#include <cstdlib>

u32 GetDefaultStreamFlags() { return 0x08000100; }

int GetRandom() { return std::rand(); }

double ComputePointLineDistance(double x, double y, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  // The gradient fill depends on the length being taken in single precision.
  const float length = std::sqrt(float(dx * dx + dy * dy));
  if (length == 0.0f) return std::sqrt((x - x1) * (x - x1) + (y - y1) * (y - y1));
  return ((y1 - y2) * x + (x2 - x1) * y + (y2 * x1 - y1 * x2)) / double(length);
}
