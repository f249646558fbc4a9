#pragma once
// The installed fonts, as a font object sees them: asked for a face, it answers
// with the face it would really use.

#include <memory>
#include <string>

struct _FcConfig;

namespace ringova {

class FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  // The family of the installed font that best matches face; "" when there is
  // no font at all.
  virtual std::string MatchFace(const std::string& face) = 0;
};

// The catalog of fontconfig, with its usual substitutions. Loads its own
// configuration on the first match and releases it with the object.
class FontconfigCatalog final : public FontCatalog {
 public:
  FontconfigCatalog();
  ~FontconfigCatalog() override;
  std::string MatchFace(const std::string& face) override;

 private:
  struct ConfigDeleter {
    void operator()(_FcConfig* config) const;
  };
  std::unique_ptr<_FcConfig, ConfigDeleter> config_;
  bool loaded_ = false;
};

}  // namespace ringova
