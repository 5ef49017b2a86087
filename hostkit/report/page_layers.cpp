#include "hostkit/report/page_layers.h"

#include <algorithm>
#include <cstddef>

namespace briskal::hostkit::report {
namespace {

enum class Layer { Common, Repeated, Own };

bool sameSize(const Page& a, const Page& b) { return a.width == b.width && a.height == b.height; }

// Drawing by layer keeps each picture in its place among the other operations: nothing drawn
// before it in the page's order moves after it, and nothing after it moves before it.
bool picturesKeepTheirPlace(const std::vector<DrawingOp>& ops, const std::vector<Layer>& layers) {
  for (size_t n = 0; n < ops.size(); ++n) {
    if (!std::holds_alternative<ImageOp>(ops[n])) continue;
    const auto at = layers.begin() + static_cast<std::ptrdiff_t>(n);
    if (std::any_of(layers.begin(), at, [&](Layer l) { return l > layers[n]; })) return false;
    if (std::any_of(at + 1, layers.end(), [&](Layer l) { return l < layers[n]; })) return false;
  }
  return true;
}

}  // namespace

PageLayers::Split PageLayers::split(const Page& page, const Page* next) {
  const bool first = !started_ || page.width != width_ || page.height != height_;
  if (first) {
    common_.clear();
    previous_.clear();
  }
  started_ = true;
  width_ = page.width;
  height_ = page.height;
  OpSet following;
  if (next && sameSize(page, *next)) following.insert(next->ops.begin(), next->ops.end());

  std::vector<Layer> layers;
  layers.reserve(page.ops.size());
  OpSet common;
  size_t inCommon = 0;
  size_t repeated = 0;
  for (const DrawingOp& op : page.ops) {
    if (common_.contains(op)) {
      layers.push_back(Layer::Common);
      common.insert(op);
      ++inCommon;
    } else if (previous_.contains(op) || following.contains(op)) {
      layers.push_back(Layer::Repeated);
      ++repeated;
    } else {
      layers.push_back(Layer::Own);
    }
  }
  if (repeated == 0 || repeated * 4 < (page.ops.size() - inCommon) * 3)
    std::replace(layers.begin(), layers.end(), Layer::Repeated, Layer::Own);
  const bool layered = picturesKeepTheirPlace(page.ops, layers);

  Split split;
  for (size_t n = 0; n < page.ops.size(); ++n) {
    const Layer layer = layered ? layers[n] : Layer::Own;
    (layer == Layer::Common     ? split.common
     : layer == Layer::Repeated ? split.repeated
                                : split.own)
        .push_back(page.ops[n]);
  }
  common_ = first ? OpSet(page.ops.begin(), page.ops.end()) : std::move(common);
  previous_ = OpSet(page.ops.begin(), page.ops.end());
  return split;
}

}  // namespace briskal::hostkit::report
