#include <fontconfig/fontconfig.h>

#include <memory>

#include "ringova_outlook/support/font_catalog.h"

namespace ringova {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

void FontconfigCatalog::ConfigDeleter::operator()(_FcConfig* config) const {
  FcConfigDestroy(config);
}

FontconfigCatalog::FontconfigCatalog() = default;
FontconfigCatalog::~FontconfigCatalog() = default;

std::string FontconfigCatalog::MatchFace(const std::string& face) {
  if (!loaded_) {
    config_.reset(FcInitLoadConfigAndFonts());
    loaded_ = true;
  }
  FcConfig* config = config_.get();
  if (config == nullptr) return {};
  Pattern pattern(FcPatternCreate());
  if (!pattern) return {};
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(config, pattern.get(), &result));
  if (!match || result != FcResultMatch) return {};
  FcChar8* family = nullptr;
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch || !family) {
    return {};
  }
  return reinterpret_cast<const char*>(family);
}

}  // namespace ringova
