#include "app/VidaREZezad11.h"

int main(int argc, char **argv) {
    return WinMain(argc, argv);
}
