// LineTool: draws a straight line from the press to the release.
#include <iterator>

#include "tools/qz_root_tool.h"
#include "tools/shape_tool.h"

namespace {

constexpr const char* kPictures[] = {"Data/Images/ToolBar/Line"};
const qz::tools::ShapeToolTraits kTraits = {qz::tools::Shape::Line, 127, kPictures, std::size(kPictures), false};
const qz::kit::ClassDecl kLineTool = qz::tools::shapeToolClass("LineTool", 0x17760000, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitLineToolClass(Qz_GlobalData*) { return qz::kit::addClass(kLineTool); }
QZ_EXPORT void Qz_CleanupLineToolClass(void) { qz::kit::removeClass(kLineTool); }
QZ_EXTERN_C_END
