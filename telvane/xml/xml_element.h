#pragma once

#include <string>

#include "telvane/xml/attr_vector.h"

namespace telvane {

// One start tag as the scanner reports it.
struct XMLElement {
  std::string name;
  AttrVector attributes;
  bool isRoot = false;   // opened while no other element was open
  bool isEmpty = false;  // written as <name/>
};

}  // namespace telvane
