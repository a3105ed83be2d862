package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.BeforeEach;

/**
 * A suite against the Vardelon simulator: it starts from a new application, whatever the suites
 * before it left in theirs, and each test connects first (a no-op when the connection stands).
 */
abstract class SimulatorTest {
  protected final VardelonLink link = new VardelonLink();

  @BeforeAll
  static void startANewApplication() {
    VardelonLink link = new VardelonLink();
    link.connect();
    link.quit();
  }

  @BeforeEach
  void connect() {
    assertTrue(link.connect(), "AUTOMATION_REGISTRY must name the simulator's registration");
  }
}
