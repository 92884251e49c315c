#include "CTAVINApp.h"

int main(int argc, char** argv) {
    return tavin::RunProgram(tavin::kMorva7EEdition, argc, argv);
}
