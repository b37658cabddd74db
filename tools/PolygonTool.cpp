// PolygonTool: draws a polygon, outlined or filled, one clicked vertex at a time.
#include <iterator>

#include "tools/qz_root_tool.h"
#include "tools/shape_tool.h"

namespace {

constexpr const char* kPictures[] = {"Data/Images/ToolBar/PolygonMain", "Data/Images/ToolBar/PolygonUnfilled",
                                     "Data/Images/ToolBar/PolygonFilled"};
constexpr uint32_t kPolygonTip = 272;  // catalogue: "Polygon"
const qz::tools::ShapeToolTraits kTraits = {qz::tools::Shape::Polygon, kPolygonTip, kPictures, std::size(kPictures),
                                            true};
const qz::kit::ClassDecl kPolygonTool = qz::tools::shapeToolClass("PolygonTool", 0x177e0000, kTraits);

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPolygonToolClass(Qz_GlobalData*) { return qz::kit::addClass(kPolygonTool); }
QZ_EXPORT void Qz_CleanupPolygonToolClass(void) { qz::kit::removeClass(kPolygonTool); }
QZ_EXTERN_C_END
