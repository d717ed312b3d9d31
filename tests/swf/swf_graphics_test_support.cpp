#include "tests/swf/swf_graphics_test_support.h"

#include "swf/swf_shape.h"

namespace swftest {

namespace {

template <typename... Values>
std::string Join(const char* name, Values... values) {
  std::string text = name;
  ((text += ' ' + std::to_string(values)), ...);
  return text + ';';
}

std::string DescribeColor(const CSwfRgb* color) {
  if (!color) return "no color;";
  const auto* rgba = dynamic_cast<const CSwfRgba*>(color);
  if (rgba) return Join("rgba", rgba->red, rgba->green, rgba->blue, rgba->alpha);
  return Join("rgb", color->red, color->green, color->blue);
}

std::string DescribeMatrix(const CSwfMatrix* m) {
  if (!m) return "no matrix;";
  return Join("matrix", m->hasScale, m->scaleX, m->scaleY, m->hasRotate, m->rotateSkew0,
              m->rotateSkew1, m->translateX, m->translateY);
}

template <typename Array, typename Describe>
std::string DescribeArray(const char* name, const Array* array, Describe describe) {
  if (!array) return std::string("no ") + name + ';';
  std::string text = Join(name, array->styles.size());
  for (const auto& style : array->styles) text += describe(*style);
  return text;
}

}  // namespace

std::string DescribeFillStyle(const CSwfFillStyle& style) {
  std::string text = Join("fill", style.type);
  if (style.type == kSwfSolidFill) return text + DescribeColor(style.color.get());
  if (IsSwfGradientFill(style.type)) {
    text += DescribeMatrix(style.matrix.get());
    if (!style.gradient) return text + "no gradient;";
    for (const auto& record : style.gradient->GetRecords())
      text += Join("stop", record->ratio) + DescribeColor(record->color.get());
    return text;
  }
  if (IsSwfBitmapFill(style.type)) return text + Join("bitmap", style.bitmapId) + DescribeMatrix(style.matrix.get());
  return text;
}

std::string DescribeLineStyle(const CSwfLineStyle& style) {
  return Join("line", style.width) + DescribeColor(style.color.get());
}

std::string DescribeShape(const CSwfShape& shape) {
  std::string text;
  if (const auto* styled = dynamic_cast<const CSwfShapeWithStyle*>(&shape)) {
    text += DescribeArray("fills", styled->fillStyles.get(), DescribeFillStyle);
    text += DescribeArray("lines", styled->lineStyles.get(), DescribeLineStyle);
  }
  for (const auto& record : shape.records) {
    switch (record->GetType()) {
      case kSwfStyleChangeRecord: {
        const auto& change = static_cast<const CSwfStyleChangeRecord&>(*record);
        text += Join("change", change.flags);
        if (change.flags & kSwfStateMoveTo) text += Join("move", change.moveDeltaX, change.moveDeltaY);
        if (change.flags & kSwfStateFillStyle0) text += Join("fill0", change.fillStyle0);
        if (change.flags & kSwfStateFillStyle1) text += Join("fill1", change.fillStyle1);
        if (change.flags & kSwfStateLineStyle) text += Join("line", change.lineStyle);
        if (change.flags & kSwfStateNewStyles) {
          text += DescribeArray("fills", change.fillStyles.get(), DescribeFillStyle);
          text += DescribeArray("lines", change.lineStyles.get(), DescribeLineStyle);
        }
        break;
      }
      case kSwfStraightEdgeRecord: {
        const auto& edge = static_cast<const CSwfStraightEdgeRecord&>(*record);
        text += Join("straight", edge.lineKind, edge.deltaX, edge.deltaY);
        break;
      }
      case kSwfCurvedEdgeRecord: {
        const auto& curve = static_cast<const CSwfCurvedEdgeRecord&>(*record);
        text += Join("curve", curve.controlDeltaX, curve.controlDeltaY, curve.anchorDeltaX,
                     curve.anchorDeltaY);
        break;
      }
      default:
        text += "end;";
        break;
    }
  }
  return text;
}

std::vector<std::string> ShapePoints(const CSwfShape& shape) {
  std::vector<std::string> points;
  long long x = 0, y = 0;
  auto add = [&points](long long px, long long py) {
    points.push_back(std::to_string(px) + "," + std::to_string(py));
  };
  for (const auto& record : shape.records) {
    switch (record->GetType()) {
      case kSwfStyleChangeRecord: {
        const auto& change = static_cast<const CSwfStyleChangeRecord&>(*record);
        if (change.flags & kSwfStateMoveTo) {
          x = change.moveDeltaX;
          y = change.moveDeltaY;
          add(x, y);
        }
        break;
      }
      case kSwfStraightEdgeRecord: {
        const auto& edge = static_cast<const CSwfStraightEdgeRecord&>(*record);
        if (edge.lineKind != kSwfVerticalLine) x += edge.deltaX;
        if (edge.lineKind != kSwfHorizontalLine) y += edge.deltaY;
        add(x, y);
        break;
      }
      case kSwfCurvedEdgeRecord: {
        const auto& curve = static_cast<const CSwfCurvedEdgeRecord&>(*record);
        x += curve.controlDeltaX;
        y += curve.controlDeltaY;
        add(x, y);
        x += curve.anchorDeltaX;
        y += curve.anchorDeltaY;
        add(x, y);
        break;
      }
      default:
        break;
    }
  }
  return points;
}

}  // namespace swftest
