#if !defined(_WIN32)

// Dialogs from the templates of the resource script, modeless and modal.

#include "platform/Backend.h"
#include "platform/DialogTemplates.h"
#include "platform/DialogUnits.h"
#include "platform/Theme.h"
#include "platform/UiScale.h"
#include "platform/WindowSystem.h"

#include <chrono>

namespace Kestrune::Platform
{
namespace
{

struct DialogExtra final : WindowExtra
{
    DLGPROC procedure = nullptr;
    bool modal = false;
    bool ended = false;
    bool pausing = false; // counted in endingModalLoops
    INT_PTR result = 0;
};

int endingModalLoops = 0;

void StopPausing(DialogExtra& extra)
{
    if (extra.pausing)
    {
        extra.pausing = false;
        --endingModalLoops;
    }
}

// Templates are numbered (MAKEINTRESOURCEA), as the script's identifiers are.
const DialogTemplate* FindTemplate(LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    const auto id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    for (const DialogTemplate& dialogTemplate : DialogTemplates())
        if (dialogTemplate.id == id)
            return &dialogTemplate;
    return nullptr;
}

// A box opened from a panel keeps the panel's factor; a panel takes the one its editor chose.
double ScaleFor(HWND parent)
{
    const Window* dialog = FindWindowState(DialogOf(parent));
    return dialog != nullptr ? dialog->scale : DialogScale();
}

HWND CreateFromTemplate(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC procedure,
                        LPARAM initParam)
{
    const DialogTemplate* dialogTemplate = FindTemplate(name);
    if (dialogTemplate == nullptr)
        return nullptr;
    const double scale = ScaleFor(parent);
    CreateParameters parameters;
    parameters.className = kDialogClass;
    parameters.text = dialogTemplate->caption;
    // Shown only after WM_INITDIALOG, when the template asks for it.
    parameters.style = dialogTemplate->style & ~static_cast<DWORD>(WS_VISIBLE);
    parameters.x = DialogUnitsToPixelsX(dialogTemplate->x, scale);
    parameters.y = DialogUnitsToPixelsY(dialogTemplate->y, scale);
    parameters.width = DialogUnitsToPixelsX(dialogTemplate->width, scale);
    parameters.height = DialogUnitsToPixelsY(dialogTemplate->height, scale);
    parameters.parent = parent;
    parameters.instance = instance;
    parameters.scale = scale;
    parameters.extra = std::make_unique<DialogExtra>();
    if ((parameters.style & WS_CHILD) == 0 && parent != nullptr)
    {
        // A pop-up dialog is placed relative to its owner's client area.
        const POINT origin = ScreenOriginOf(RootOf(parent));
        parameters.x += origin.x;
        parameters.y += origin.y;
    }
    const HWND dialog = CreateWindowInternal(std::move(parameters));
    if (dialog == nullptr)
        return nullptr;

    for (const DialogItem& item : dialogTemplate->items)
    {
        CreateParameters control;
        control.className = item.className;
        control.text = item.text;
        control.style = item.style | static_cast<DWORD>(WS_CHILD);
        control.x = DialogUnitsToPixelsX(item.x, scale);
        control.y = DialogUnitsToPixelsY(item.y, scale);
        control.width = DialogUnitsToPixelsX(item.width, scale);
        control.height = DialogUnitsToPixelsY(item.height, scale);
        control.parent = dialog;
        control.id = item.id;
        control.instance = instance;
        if (CreateWindowInternal(std::move(control)) == nullptr)
        {
            // Like Windows: a control that cannot be created fails the whole dialog.
            DestroyWindowInternal(dialog);
            return nullptr;
        }
    }

    DialogExtra* extra = ExtraOf<DialogExtra>(dialog);
    extra->procedure = procedure;
    HWND firstTabStop = nullptr;
    if (const Window* state = FindWindowState(dialog))
    {
        for (const HWND child : state->children)
        {
            const Window* childState = FindWindowState(child);
            if (childState != nullptr && (childState->style & WS_TABSTOP) != 0 &&
                (childState->style & WS_DISABLED) == 0)
            {
                firstTabStop = child;
                break;
            }
        }
    }
    const LRESULT focusDefault =
        Send(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
    if (FindWindowState(dialog) == nullptr)
        return nullptr;
    if (focusDefault != 0 && firstTabStop != nullptr && FindWindowState(firstTabStop) != nullptr)
        ChangeFocus(firstTabStop);
    if ((dialogTemplate->style & WS_VISIBLE) != 0)
        ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

} // namespace

bool ModalLoopEnding()
{
    return endingModalLoops > 0;
}

LRESULT DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
    {
        if (DialogExtra* extra = ExtraOf<DialogExtra>(window))
            StopPausing(*extra);
    }
    if (const DialogExtra* extra = ExtraOf<DialogExtra>(window); extra && extra->procedure)
    {
        const INT_PTR handled = extra->procedure(window, message, wParam, lParam);
        if (handled != 0)
            return handled;
    }
    switch (message)
    {
    case WM_ERASEBKGND:
    {
        Send(window, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(window));
        RECT client{};
        GetClientRect(window, &client);
        Theme::Fill(Theme::ContextOf(reinterpret_cast<HDC>(wParam)), 0, 0, client.right,
                    client.bottom, Theme::kFace);
        return TRUE;
    }
    case DM_GETDEFID:
        if (const Window* state = FindWindowState(window))
        {
            for (const HWND child : state->children)
            {
                const Window* childState = FindWindowState(child);
                if (childState != nullptr && childState->className == "BUTTON" &&
                    (childState->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    return MAKELRESULT(childState->id, DC_HASDEFID);
            }
        }
        return 0;
    case WM_CLOSE:
        // Like the caption's close button: IDCANCEL, which the procedure may ignore.
        Send(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
        return 0;
    default:
        return DefaultWindowProcedure(window, message, wParam, lParam);
    }
}

LRESULT HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
    {
        RECT client{};
        GetClientRect(window, &client);
        Theme::Fill(Theme::ContextOf(reinterpret_cast<HDC>(wParam)), 0, 0, client.right,
                    client.bottom, Theme::kFace);
        return TRUE;
    }
    return DefaultWindowProcedure(window, message, wParam, lParam);
}

} // namespace Kestrune::Platform

using namespace Kestrune::Platform;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam)
{
    return CreateFromTemplate(instance, templateName, parent, dialogProc, initParam);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                        LPARAM initParam)
{
    using Clock = std::chrono::steady_clock;
    const HWND ownerRoot = RootOf(owner);
    const HWND savedFocus = FocusWindow();
    const HWND dialog =
        CreateFromTemplate(instance, templateName, ownerRoot, dialogProc, initParam);
    if (dialog == nullptr)
        return -1;
    if (DialogExtra* extra = ExtraOf<DialogExtra>(dialog))
    {
        extra->modal = true;
        if (extra->ended && !extra->pausing)
        {
            extra->pausing = true; // ended during WM_INITDIALOG
            ++endingModalLoops;
        }
    }
    // The owner takes no input while the box is up.
    const bool ownerWasEnabled = ownerRoot != nullptr && IsWindowEnabled(ownerRoot) != FALSE;
    if (ownerWasEnabled)
        EnableWindow(ownerRoot, FALSE);
    const auto isOver = [dialog]
    {
        const DialogExtra* extra = ExtraOf<DialogExtra>(dialog);
        return extra == nullptr || extra->ended;
    };
    if (!isOver())
        ShowWindow(dialog, SW_SHOWNORMAL);

    Backend* shownBy = BackendOf(dialog);
    Backend& backend = shownBy != nullptr ? *shownBy : CurrentBackend();
    auto lastInput = Clock::now();
    while (!isOver())
    {
        if (PumpOnce() > 0)
            lastInput = Clock::now();
        if (isOver())
            break;
        const int limit = backend.ModalIdleLimitMs();
        if (limit >= 0 && Clock::now() - lastInput > std::chrono::milliseconds(limit))
            break; // nobody will ever answer: the box is abandoned
        backend.WaitForEvents(10);
    }

    DialogExtra* extra = ExtraOf<DialogExtra>(dialog);
    const INT_PTR result = extra != nullptr && extra->ended ? extra->result : -1;
    if (extra != nullptr)
        StopPausing(*extra);
    if (ownerWasEnabled)
        EnableWindow(ownerRoot, TRUE);
    DestroyWindowInternal(dialog);
    if (ownerRoot != nullptr)
        Activate(ownerRoot);
    if (FindWindowState(savedFocus) != nullptr)
        ChangeFocus(savedFocus);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    DialogExtra* extra = ExtraOf<DialogExtra>(dialog);
    if (extra == nullptr)
        return FALSE;
    if (extra->modal && !extra->pausing)
    {
        extra->pausing = true;
        ++endingModalLoops;
    }
    extra->ended = true;
    extra->result = result;
    return TRUE;
}

#endif
