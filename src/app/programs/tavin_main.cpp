#include "CTAVINApp.h"

int main(int argc, char** argv) {
    return tavin::RunProgram(tavin::kTavinEdition, argc, argv);
}
