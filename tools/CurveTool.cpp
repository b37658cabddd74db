// CurveTool: drags a line from start to end, then bends it through a middle point.
#include <iterator>

#include "tools/qz_root_tool.h"
#include "tools/shape_tool.h"

namespace {

constexpr const char* kPictures[] = {"Data/Images/ToolBar/Curve"};
const qz::tools::ShapeToolTraits kTraits = {qz::tools::Shape::Curve, 139, kPictures, std::size(kPictures), false};
const qz::kit::ClassDecl kCurveTool = qz::tools::shapeToolClass("CurveTool", 0x17800000, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitCurveToolClass(Qz_GlobalData*) { return qz::kit::addClass(kCurveTool); }
QZ_EXPORT void Qz_CleanupCurveToolClass(void) { qz::kit::removeClass(kCurveTool); }
QZ_EXTERN_C_END
