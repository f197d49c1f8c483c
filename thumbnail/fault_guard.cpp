// MinGW g++ has no __try. Instead a vectored exception handler, which Windows
// calls first for every exception on every thread, looks for a guard frame of
// the faulting thread (in a TLS slot) and, for a processor fault, jumps back
// into that frame with __builtin_longjmp. That leaves the handler and the
// foreign code's frames behind without unwinding them: whatever the foreign
// code held is lost, so its module should be freed afterwards. Works the same
// on x86 and x64; x86 also keeps the SEH chain head in the TEB, which points
// into the abandoned frames after the jump and is put back by hand.
//
// Vectored handlers run before the frame-based handlers of the faulting code,
// so a fault that the foreign code meant to handle itself also ends the call.
// A stack overflow is not caught: the guard page would stay used up.
#include "fault_guard.h"

#include <windows.h>

namespace {

struct GuardFrame {
    void* jumpBuffer[5];
#if defined(__i386__)
    EXCEPTION_REGISTRATION_RECORD* sehChain;
#endif
};

class GuardSlot {
public:
    GuardSlot() : m_index(TlsAlloc()) {}
    ~GuardSlot()
    {
        if (m_index != TLS_OUT_OF_INDEXES)
            TlsFree(m_index);
    }
    DWORD Index() const { return m_index; }

private:
    DWORD m_index;
};

GuardSlot g_slot;

bool IsProcessorFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers)
{
    auto* frame = static_cast<GuardFrame*>(TlsGetValue(g_slot.Index()));
    if (!frame || !IsProcessorFault(pointers->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    __builtin_longjmp(frame->jumpBuffer, 1);
}

}  // namespace

bool CallWithFaultGuard(void (*call)(void* context), void* context)
{
    const DWORD slot = g_slot.Index();
    if (slot == TLS_OUT_OF_INDEXES)
        return false;
    GuardFrame frame;
    // Read again after a jump back: keep them in memory.
    void* volatile outer = TlsGetValue(slot);
    void* volatile handler = AddVectoredExceptionHandler(1, OnException);
    if (!handler)
        return false;
#if defined(__i386__)
    frame.sehChain = reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList;
#endif
    volatile bool finished = false;
    if (__builtin_setjmp(frame.jumpBuffer) == 0) {
        TlsSetValue(slot, &frame);
        call(context);
        finished = true;
    } else {
#if defined(__i386__)
        reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList = frame.sehChain;
#endif
    }
    TlsSetValue(slot, outer);
    RemoveVectoredExceptionHandler(handler);
    return finished;
}
