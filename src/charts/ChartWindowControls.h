#pragma once

#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class GVarMod;
class ImageButton;
class PickOnlyComboBox;
class QWidget;

// The controls the live display and the graph window share: the scale box, the two zoom buttons
// and the five paging buttons, with their faces and what they do.

// The scale box at `at`, 73 wide, showing "40"; its list is filled by FillScaleList.
PickOnlyComboBox* MakeScaleBox(QWidget* parent, QPoint at);

// Puts the nine scale texts into the box's list, from empty; the box's text stays as it is.
void FillScaleList(PickOnlyComboBox* box);

// One zoom step on the box's text (ZoomInText or ZoomOutText); when there is a next text it is put
// into the box and `apply` (the window's Combo1_Click) runs. At the end of the list nothing
// happens.
void StepZoom(PickOnlyComboBox* box, std::optional<QString> (*step)(const QString&),
              const std::function<void()>& apply);

// A 42 x 42 zoom button at `at`: zoom in (arrows apart) or out (arrows together), showing its
// pressed face while the mouse button is down.
enum class ZoomDirection { In, Out };
ImageButton* MakeZoomButton(QWidget* parent, QPoint at, ZoomDirection direction);

// How a paging button shows that it is in use: highlighted while the pointer is over it (the live
// display), or pressed while the mouse button is down (the graph window).
enum class PagingLook { HighlightOnHover, PressedOnMouseDown };

// The five paging buttons, 60 x 21 each at the given left edges and top: first page, previous
// page, newest page (dot), next page, newest page (last-page face). A click that moves the page
// runs `afterMove`; one that cannot move does nothing.
std::array<ImageButton*, 5> MakePagingButtons(QWidget* parent, const std::array<int, 5>& lefts,
                                              int top, PagingLook look, GVarMod& state,
                                              const std::function<void()>& afterMove);
