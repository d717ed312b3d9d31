#include "tests/swf/swf_graphics_test_support.h"

#include "platform/resource_map.h"
#include "swf/swf_header.h"
#include "swf/swf_morph_shape.h"
#include "swf/swf_shape_tags.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

namespace swftest {

namespace {

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

namespace {

std::string DescribeRect(const CSwfRect* rect) {
  if (!rect) return "no rect;";
  return Join("rect", rect->xMin, rect->xMax, rect->yMin, rect->yMax);
}

}  // namespace

std::string DescribeGraphicsTag(CSwfTag* tag) {
  if (auto* shape = dynamic_cast<CSwfDefineShape*>(tag)) {
    std::string text = Join("shape", shape->GetCode(), shape->GetCharacterId());
    text += DescribeRect(shape->GetBounds());
    return text + (shape->GetShape() ? DescribeShape(*shape->GetShape()) : "no shape;");
  }
  if (auto* morph = dynamic_cast<CSwfDefineMorphShape*>(tag)) {
    std::string text = Join("morph", morph->GetCharacterId());
    text += DescribeRect(morph->GetStartBounds()) + DescribeRect(morph->GetEndBounds());
    if (const CSwfMorphFillStyleArray* fills = morph->GetFillStyles()) {
      for (const auto& fill : fills->styles) {
        text += Join("fill", fill->type) + DescribeColor(fill->startColor.get()) +
                DescribeColor(fill->endColor.get()) + DescribeMatrix(fill->startMatrix.get()) +
                DescribeMatrix(fill->endMatrix.get());
        if (IsSwfBitmapFill(fill->type)) text += Join("bitmap", fill->bitmapId);
        if (fill->gradient) {
          for (const auto& stop : fill->gradient->GetRecords())
            text += Join("stops", stop->startRatio, stop->endRatio) +
                    DescribeColor(stop->startColor.get()) + DescribeColor(stop->endColor.get());
        }
      }
    }
    if (const CSwfMorphLineStyleArray* lines = morph->GetLineStyles()) {
      for (const auto& line : lines->styles)
        text += Join("line", line->startWidth, line->endWidth) +
                DescribeColor(line->startColor.get()) + DescribeColor(line->endColor.get());
    }
    text += "start:" + (morph->GetStartEdges() ? DescribeShape(*morph->GetStartEdges()) : "none;");
    return text + "end:" + (morph->GetEndEdges() ? DescribeShape(*morph->GetEndEdges()) : "none;");
  }
  return "";
}

std::vector<u8> MovieOfTags(const std::vector<CSwfTag*>& tags, u8 version) {
  CSwfHeader header;
  header.SetParams(0, 0, 11000, 8000, 12.0f, version);
  CSwfBitWriter writer(version);
  header.Write(writer);
  for (CSwfTag* tag : tags) tag->Write(writer);
  writer.WriteU16(0);
  std::vector<u8> movie = writer.GetBytes();
  for (int i = 0; i < 4; ++i) movie[4 + i] = u8(movie.size() >> (8 * i));
  return movie;
}

void UseBundleWithMovieResources(const std::string& name,
                                 const std::vector<std::pair<s16, std::vector<u8>>>& resources) {
  const std::string bundle = gbtest::UseTestBundle(name, {});
  plat::ResourceMap map;
  for (const auto& [id, bytes] : resources) {
    plat::ResourceEntry entry;
    entry.type = FourCC("xDAS");
    entry.id = id;
    entry.data = bytes;
    map.Set(entry);
  }
  std::vector<u8> image;
  map.Serialize(image);
  gbtest::WriteFile(bundle + "Contents/Resources/main.rsrc", image);
}

}  // namespace swftest
