// ESLint's settings for the page's script (.ci/run checks it): a browser
// script, strict, run once as the page loads.
export default [
  {
    files: ["**/*.js"],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: "script",
      globals: { document: "readonly", window: "readonly", Node: "readonly" },
    },
    rules: {
      "no-undef": "error",
      "no-unused-vars": "error",
      "no-redeclare": "error",
      "no-shadow": "error",
      "no-use-before-define": ["error", { functions: false }],
      "no-dupe-keys": "error",
      "no-unreachable": "error",
      "no-constant-condition": "error",
      "no-self-compare": "error",
      "no-unsafe-negation": "error",
      "no-implied-eval": "error",
      "no-eval": "error",
      "no-new-func": "error",
      "no-var": "error",
      "prefer-const": "error",
      eqeqeq: "error",
      strict: ["error", "global"],
      curly: ["error", "multi-line"],
    },
  },
];
