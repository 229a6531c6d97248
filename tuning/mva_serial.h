// Serial ports and the joystick settings of the host.
#pragma once

// Estimates the highest serial port number from the registry (0 when
// nothing is found), stores it in count and returns it. The customizer
// offers "COM1" up to "COM<count>".
int MVA_CountComPorts(int& count);

// Shows the host's joystick settings for a window. 1 when they were shown,
// 0 when the host has no such program.
int MVA_ShowJoystickControlPanel(void* window);
