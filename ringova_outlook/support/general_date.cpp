#include "ringova_outlook/support/general_date.h"

#include <langinfo.h>
#include <locale.h>

#include <memory>

namespace ringova {
namespace {

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using Locale = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

Locale OpenTimeLocale(const char* name) {
  locale_t locale = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) {
    locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }
  return Locale(locale);
}

std::string FourDigitYears(std::string format) {
  for (std::size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at)) {
    format[at + 1] = 'Y';
  }
  return format;
}

std::string Format(const std::tm& local_time, const Locale& locale) {
  std::string format = "%m/%d/%Y %H:%M:%S";
  if (locale) {
    format = FourDigitYears(std::string(nl_langinfo_l(D_FMT, locale.get())) + " " +
                            nl_langinfo_l(T_FMT, locale.get()));
  }
  char text[128];
  std::size_t length =
      locale ? strftime_l(text, sizeof text, format.c_str(), &local_time, locale.get())
             : strftime(text, sizeof text, format.c_str(), &local_time);
  return std::string(text, length);
}

}  // namespace

std::string FormatGeneralDate(const std::tm& local_time, const char* locale_name) {
  return Format(local_time, OpenTimeLocale(locale_name));
}

std::string GeneralDateNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  static const Locale environment = OpenTimeLocale("");
  return Format(local, environment);
}

}  // namespace ringova
