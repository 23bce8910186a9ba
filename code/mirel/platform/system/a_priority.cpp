#include "mirel/platform/system/a_system.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

aPriorityResult a_setPriority(int processPriority, int threadPriority) {
    if (::setpriority(PRIO_PROCESS, 0, processPriority) != 0)
        return aPriorityResult::ProcessRefused;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), threadPriority) != 0)
        return aPriorityResult::ThreadRefused;
    return aPriorityResult::Set;
}
