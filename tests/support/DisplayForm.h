// A form holding one display control, built the way a window definition builds it.
#pragma once

#include <QPointer>

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Control.h"

// A TDXForm of Width × Height with a display control of class TControl filling it: the control's
// properties are set while it is loading and Loaded ends that, so, as in the program, the display
// comes up on the form's first show. The holder destroys the form (and with it the control)
// unless a test has already deleted it.
template <class TControl = TDXDraw> class TDisplayForm {
public:
    TDisplayForm(int Width, int Height) : FForm(new TDXForm()) {
        FForm->resize(Width, Height);
        FDX = new TControl(FForm);
        FDX->BeginLoading();
        FDX->setGeometry(0, 0, Width, Height);
        FDX->Loaded();
    }
    ~TDisplayForm() { delete FForm.data(); }
    TDisplayForm(const TDisplayForm&) = delete;
    TDisplayForm& operator=(const TDisplayForm&) = delete;

    TDXForm* Form() const { return FForm.data(); }
    TControl* DX() const { return FDX.data(); }

private:
    QPointer<TDXForm> FForm;
    QPointer<TControl> FDX;
};
