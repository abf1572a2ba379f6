package com.example.app;

import com.example.greeting.Greeter;

/** The modular sample: started from its main module, it shows how the runtime sees the start. */
public final class Main {
    private Main() {}

    public static void main(String[] args) {
        System.out.println(Greeter.greet(System.getProperty("user.name")));
        System.out.println("main class        = " + Main.class.getName() + " in " + Main.class.getModule());
        System.out.println("jdk.module.main   = " + System.getProperty("jdk.module.main"));
        System.out.println("jdk.module.path   = " + System.getProperty("jdk.module.path"));
        System.out.println("java.class.path   = " + System.getProperty("java.class.path"));
        System.out.println("boot layer        = " + ModuleLayer.boot().modules().size() + " modules");
        System.out.println("arguments (" + args.length + "): " + String.join(" | ", args));
    }
}
