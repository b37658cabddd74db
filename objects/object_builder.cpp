// The tag-coded tree builder: one flat list of words describes a gadget
// tree. Containers are kept on a stack; entry 0 stands for "no parent".
#include <cstring>
#include <vector>

#include "objects/object_internal.h"

namespace {

constexpr uint32_t kTextSetValue = 0x4000A;
constexpr uint32_t kTextSetAngle = 0x40032;
constexpr uint32_t kBitMapSetPicture = 0x80000136;
constexpr uint32_t kGroupSetMode = 0x201F4;
constexpr QzWord kGroupHorizontal = 2;
constexpr QzWord kGroupVertical = 1;
constexpr uint32_t kStringEditFlag = 0x1E001E;
constexpr uint32_t kSpaceSetSize = 0xE000A;
constexpr uint32_t kSpaceVertical = 0x10136;
constexpr uint32_t kSpaceHorizontal = 0x1012C;

// Builder class names that stand for other classes.
const char* translatedClassName(const char* name) {
  if (name == nullptr) return nullptr;
  if (std::strcmp(name, "Slider") == 0) return "Scroller";
  if (std::strcmp(name, "SimpleSlider") == 0) return "Slider";
  return name;
}

class Builder {
 public:
  explicit Builder(bool subClass) : subClass_(subClass), stack_(kBuildStackEntries, nullptr) {}

  Qz_Object* run(const QzWord* codes);

 private:
  Qz_Object* top() const { return stack_[depth_]; }

  // Inside a container that could not be made, nothing is made either: such
  // children would belong to no one.
  bool insideFailedContainer() const { return depth_ > 0 && top() == nullptr; }

  template <typename... Tags>
  void add(const char* className, Tags... tags) {
    last_ = insideFailedContainer() ? nullptr : Qz_AddObject(top(), className, tags...);
  }

  // Pushes the last object; false when the stack is full.
  bool push() {
    if (depth_ + 1 >= stack_.size()) return false;
    stack_[++depth_] = last_;
    return true;
  }

  void close() {
    if (depth_ == 0) return;  // an unbalanced close pops nothing
    // Sub-class mode: the container being closed reports to the one below,
    // so the compound gadget shows as one object from outside.
    if (subClass_ && last_ != nullptr && top() != nullptr && stack_[depth_ - 1] != nullptr) {
      top()->owner = stack_[depth_ - 1];
    }
    --depth_;  // the entry stays: after a balanced list it holds the root
  }

  bool subClass_;
  std::vector<Qz_Object*> stack_;
  std::size_t depth_ = 0;
  Qz_Object* last_ = nullptr;
};

Qz_Object* Builder::run(const QzWord* codes) {
  const QzWord* p = codes;
  for (QzWord code = *p++; code != kBuildEnd; code = *p++) {
    bool pushes = false;
    switch (code) {
      case kBuildObject:
        add(translatedClassName(reinterpret_cast<const char*>(*p++)));
        pushes = true;
        break;
      case kBuildClose: close(); break;
      case kBuildLabel: add("Text", kRootSetLabel, *p++); break;
      case kBuildTextValue: add("Text", kTextSetValue, *p++); break;
      case kBuildPlainLabel: add("Text", kRootSetLabel, *p++, kRootSetWeight, 0); break;
      case kBuildVerticalLabel: add("Text", kRootSetLabel, *p++, kTextSetAngle, 270, kRootSetWeight, 0); break;
      case kBuildPicture: add("BitMap", kBitMapSetPicture, *p++); break;
      case kBuildHGroup: add("Group", kGroupSetMode, kGroupHorizontal); pushes = true; break;
      case kBuildVGroup: add("Group", kGroupSetMode, kGroupVertical); pushes = true; break;
      case kBuildStringEdit: add("StringEdit"); pushes = true; break;
      case kBuildStringEditFlagged: add("StringEdit", kStringEditFlag, 1); pushes = true; break;
      case kBuildCompactSlider: add("CompactSlider"); pushes = true; break;
      case kBuildSlider: add("Scroller"); pushes = true; break;
      case kBuildSpace: add("Space", kSpaceSetSize, *p++); break;
      case kBuildSpaceV: add("Space", kSpaceVertical, 1); break;
      case kBuildSpaceH: add("Space", kSpaceHorizontal, 1); break;
      case kBuildSpaceHWeighted: add("Space", kSpaceHorizontal, *p++, kSpaceVertical, 1); break;
      case kBuildSpaceVWeighted: add("Space", kSpaceHorizontal, 1, kSpaceVertical, *p++); break;
      case kBuildStoreLast: {
        auto* out = reinterpret_cast<Qz_Object**>(*p++);
        if (out != nullptr) *out = last_;
        break;
      }
      default:
        // Any other code is a one-argument method call on the top container.
        Qz_DoMethod(top(), static_cast<uint32_t>(code), *p++);
        break;
    }
    if (pushes && !push()) {
      Qz_DisposeObject(stack_[1]);
      return nullptr;
    }
  }
  // The first object pushed is the root; an unclosed list still hands back
  // the tree it built rather than losing it.
  return stack_[1];
}

}  // namespace

Qz_Object* Qz_CreateObjectsA(const QzWord* codes, QzWord subClass) {
  if (codes == nullptr) return nullptr;
  Builder builder(subClass != 0);
  return builder.run(codes);
}
