#include "charts/ChartWindowControls.h"

#include "charts/ChartPaging.h"
#include "charts/ChartScaleRules.h"
#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"
#include "widgets/WindowFonts.h"

PickOnlyComboBox* MakeScaleBox(QWidget* parent, QPoint at) {
    auto* box = new PickOnlyComboBox(parent);
    box->setGeometry(at.x(), at.y(), 73, 21);
    box->setFont(SansSerifFont(8.25));
    box->setEditText(QStringLiteral("40"));
    box->setToolTip(QStringLiteral("scale"));
    return box;
}

void FillScaleList(PickOnlyComboBox* box) {
    const QString text = box->currentText();
    box->clear();
    for (const char16_t* entry : kScaleListTexts)
        box->addItem(QString::fromUtf16(entry));
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void StepZoom(PickOnlyComboBox* box, std::optional<QString> (*step)(const QString&),
              const std::function<void()>& apply) {
    const std::optional<QString> next = step(box->currentText());
    if (!next)
        return;
    box->setEditText(*next);
    apply();
}

ImageButton* MakeZoomButton(QWidget* parent, QPoint at, ZoomDirection direction) {
    // Faces: 1 arrows together flat, 2 arrows apart raised, 3 arrows apart flat, 4 together raised.
    const bool in = direction == ZoomDirection::In;
    const int normal = in ? 2 : 4;
    const int pressed = in ? 3 : 1;
    auto* button = MakeImageButton(parent, at, ZoomFace(normal),
                                   in ? QStringLiteral("zoom in") : QStringLiteral("zoom out"));
    QObject::connect(button, &ImageButton::MouseDown, button,
                     [button, pressed] { button->SetPicture(ZoomFace(pressed)); });
    QObject::connect(button, &ImageButton::MouseUp, button,
                     [button, normal] { button->SetPicture(ZoomFace(normal)); });
    return button;
}

std::array<ImageButton*, 5> MakePagingButtons(QWidget* parent, const std::array<int, 5>& lefts,
                                              int top, PagingLook look, GVarMod& state,
                                              const std::function<void()>& afterMove) {
    struct Paging {
        const char* tip;
        bool (*move)(GVarMod&);
    };
    static constexpr Paging kPaging[] = {{"first page", MoveToFirstPage},
                                         {"previous page", MoveToPreviousPage},
                                         {"last page", MoveToNewestPage},
                                         {"next page", MoveToNextPage},
                                         {"last page", MoveToNewestPage}};
    std::array<ImageButton*, 5> buttons{};
    for (int i = 0; i < 5; ++i) {
        const int face = i + 1; // the highlighted or pressed face is face + 5
        auto* b = new ImageButton(parent);
        b->setGeometry(lefts[static_cast<std::size_t>(i)], top, 60, 21);
        b->SetPicture(PagingFace(face));
        b->setToolTip(QString::fromLatin1(kPaging[i].tip));
        if (look == PagingLook::HighlightOnHover) {
            QObject::connect(b, &ImageButton::Hover, b, [b, face](bool inside) {
                b->SetPicture(PagingFace(inside ? face + 5 : face));
            });
        } else {
            QObject::connect(b, &ImageButton::MouseDown, b,
                             [b, face] { b->SetPicture(PagingFace(face + 5)); });
            QObject::connect(b, &ImageButton::MouseUp, b,
                             [b, face] { b->SetPicture(PagingFace(face)); });
        }
        const auto move = kPaging[i].move;
        QObject::connect(b, &ImageButton::Click, parent, [&state, move, afterMove] {
            if (move(state))
                afterMove();
        });
        buttons[static_cast<std::size_t>(i)] = b;
    }
    return buttons;
}
