// RectangleTool: draws an axis rectangle, outlined or filled, from corner to corner.
#include <iterator>

#include "tools/qz_root_tool.h"
#include "tools/shape_tool.h"

namespace {

constexpr const char* kPictures[] = {"Data/Images/ToolBar/Rectangle/Main", "Data/Images/ToolBar/Rectangle/Outlined", "Data/Images/ToolBar/Rectangle/Solid"};
const qz::tools::ShapeToolTraits kTraits = {qz::tools::Shape::Rectangle, 271, kPictures, std::size(kPictures), true};
const qz::kit::ClassDecl kRectangleTool = qz::tools::shapeToolClass("RectangleTool", 0x17740000, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitRectangleToolClass(Qz_GlobalData*) { return qz::kit::addClass(kRectangleTool); }
QZ_EXPORT void Qz_CleanupRectangleToolClass(void) { qz::kit::removeClass(kRectangleTool); }
QZ_EXTERN_C_END
