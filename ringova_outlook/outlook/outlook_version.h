#pragma once
// The name of an Outlook version for the log: "11.0.8217" gives "2003".
#include <string>
#include <string_view>

namespace ringova {

// The version cut after the first "." and one more character, looked up in the version-name
// table; "" for a version the table does not name.
std::string OutlookVersionName(std::string_view version);

}  // namespace ringova
