#include "system/velmosystem.h"

// Start-up grows here step by step as the subsystems arrive.
int main(int /*argc*/, char** /*argv*/, char** /*envp*/)
{
    selectSceneSet();
    return 0;
}
