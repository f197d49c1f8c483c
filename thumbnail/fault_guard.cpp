// MinGW g++ has no __try. Instead a vectored exception handler, which Windows
// calls first for every exception on every thread, looks for a guard frame of
// the faulting thread (in a TLS slot). For a processor fault it does not jump
// away itself: it points the thread's context at LandAfterFault and lets the
// dispatcher resume there, so the dispatcher finishes its own bookkeeping
// (a handler jumped out of would stay registered, pointing into this module
// after it is unloaded). LandAfterFault, on the faulting thread's stack below
// the foreign frames, jumps back into the guard frame with __builtin_longjmp.
// The foreign frames are abandoned without unwinding: whatever the foreign
// code held is lost, so its module should be freed afterwards.
//
// The same code serves x86 and x64. x86 also keeps the head of the SEH chain
// in the TEB; after the jump it points into the abandoned frames and is put
// back by hand.
//
// Vectored handlers run before the frame-based handlers of the faulting code,
// so a fault that the foreign code meant to handle itself also ends the call.
// A stack overflow is not caught: the guard page would stay used up. Nor are
// floating-point exceptions, which stay masked unless a program unmasks them,
// and would leave their pending state in the FPU.
#include "fault_guard.h"

#include <windows.h>

namespace {

struct GuardFrame {
    void* jumpBuffer[5];
#if defined(__i386__)
    void* sehChain;
#endif
};

#if defined(__i386__)
// The head of the SEH chain: the first word of the TEB, at fs:0.
void* SehChainHead()
{
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetSehChainHead(void* head)
{
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#endif

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
        return true;
    default:
        return false;
    }
}

[[noreturn]] void LandAfterFault()
{
    auto* frame = static_cast<GuardFrame*>(TlsGetValue(g_slot.Index()));
    __builtin_longjmp(frame->jumpBuffer, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers)
{
    if (!TlsGetValue(g_slot.Index()) || !IsProcessorFault(pointers->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    // Resume as if the faulting instruction had called LandAfterFault: a
    // 16-byte aligned stack minus the return address slot.
    CONTEXT* context = pointers->ContextRecord;
#if defined(__x86_64__)
    context->Rsp = ((context->Rsp - 64) & ~DWORD64{15}) - 8;
    context->Rip = reinterpret_cast<DWORD64>(&LandAfterFault);
#elif defined(__i386__)
    context->Esp = ((context->Esp - 64) & ~DWORD{15}) - 4;
    context->Eip = reinterpret_cast<DWORD>(&LandAfterFault);
#else
#error "unsupported processor"
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
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
    frame.sehChain = SehChainHead();
#endif
    volatile bool finished = false;
    if (__builtin_setjmp(frame.jumpBuffer) == 0) {
        TlsSetValue(slot, &frame);
        call(context);
        finished = true;
    } else {
#if defined(__i386__)
        SetSehChainHead(frame.sehChain);
#endif
    }
    TlsSetValue(slot, outer);
    RemoveVectoredExceptionHandler(handler);
    return finished;
}
