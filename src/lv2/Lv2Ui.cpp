#include "lv2/Lv2Ui.h"

#include "lv2/ControlPorts.h"
#include "model/Model.h"
#include "phaser/CorvanePhaserView.h"
#include "phaser/Product.h"
#include "platform/Backend.h"
#include "platform/MessagePump.h"

#include <cmath>
#include <cstring>

namespace Kestrune::Lv2
{

Lv2Ui::Lv2Ui(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController, void* parent)
    : write(writeFunction), controller(hostController),
      model(Product::CreateParameters(&dispatcher))
{
    // Told outside the model's lock: it writes to the host.
    model->SetOutsideObserver(this);
    view = std::make_unique<CorvanePhaserView>(nullptr, static_cast<HWND>(parent), model.get());
    if (view->GetHandle() != nullptr)
        view->Show();
}

Lv2Ui::~Lv2Ui()
{
    // The view observes the model: it goes first.
    view.reset();
    model->SetOutsideObserver(nullptr);
}

bool Lv2Ui::Opened() const
{
    return view->GetHandle() != nullptr;
}

unsigned long Lv2Ui::Widget() const
{
    HWND panel = view->GetHandle();
    const Platform::Backend* backend = Platform::BackendOf(panel);
    return backend != nullptr ? backend->NativeWindow(panel) : 0;
}

void Lv2Ui::GetSize(int& width, int& height) const
{
    RECT rect{};
    GetClientRect(view->GetHandle(), &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}

void Lv2Ui::PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                      const void* buffer)
{
    if (port >= kControlPortCount || format != 0 || size != sizeof(float) || buffer == nullptr)
        return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    const int index = static_cast<int>(port);
    const ControlPort& control = GetControlPort(index);
    if (!std::isfinite(value) || control.toPort(model->GetParameterValue(index)) == value)
        return;
    // Every observer but this one: the host already has the value.
    model->ChangeParameterValue(index, control.toNormalised(value), this, true);
}

void Lv2Ui::OnParameterChanged(int index)
{
    if (write == nullptr)
        return;
    const float value = GetControlPort(index).toPort(model->GetParameterValue(index));
    write(controller, static_cast<std::uint32_t>(index), sizeof value, 0, &value);
}

int Lv2Ui::Idle()
{
    if (!Opened())
        return 1;
    // The user's input first, then the posted values, as in the VST editor's idle.
    Platform::PumpInput();
    view->Idle();
    Platform::DispatchPosted();
    return 0;
}

} // namespace Kestrune::Lv2
