// EllipseTool: draws an ellipse, outlined or filled, from its centre outwards.
#include <iterator>

#include "tools/qz_root_tool.h"
#include "tools/shape_tool.h"

namespace {

constexpr const char* kPictures[] = {"Data/Images/ToolBar/EllipseMain", "Data/Images/ToolBar/EllipseUnfilled", "Data/Images/ToolBar/EllipseFilled"};
const qz::tools::ShapeToolTraits kTraits = {qz::tools::Shape::Ellipse, 131, kPictures, std::size(kPictures), true};
const qz::kit::ClassDecl kEllipseTool = qz::tools::shapeToolClass("EllipseTool", 0x17810000, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitEllipseToolClass(Qz_GlobalData*) { return qz::kit::addClass(kEllipseTool); }
QZ_EXPORT void Qz_CleanupEllipseToolClass(void) { qz::kit::removeClass(kEllipseTool); }
QZ_EXTERN_C_END
